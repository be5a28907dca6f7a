#include "keeping/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <string>
#include <unistd.h>

namespace tolvane {
namespace {

namespace fs = std::filesystem;

std::string systemError(const std::string& what, const fs::path& path, int error) {
    return what + " " + path.string() + ": " + std::strerror(error);
}

// Buffers small writes into large write(2) calls; remembers the first failure.
class FileSink final : public ByteSink {
public:
    explicit FileSink(int fd) : fd_(fd) { buffer_.reserve(kBufferSize); }

    bool write(std::string_view bytes) override {
        if (error_ != 0)
            return false;
        if (buffer_.size() + bytes.size() > kBufferSize && !flush())
            return false;
        if (bytes.size() >= kBufferSize)
            return writeAll(bytes);
        buffer_.append(bytes);
        return true;
    }

    bool flush() {
        if (error_ != 0)
            return false;
        const bool ok = writeAll(buffer_);
        buffer_.clear();
        return ok;
    }

    int error() const { return error_; }

private:
    static constexpr std::size_t kBufferSize = 256 * 1024;

    bool writeAll(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                error_ = errno;
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
        return true;
    }

    int fd_;
    int error_ = 0;
    std::string buffer_;
};

class FileDescriptor final {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    // Close explicitly so a failing close (lost write-back) can be reported.
    int close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

fs::path folderOf(const fs::path& path) {
    return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

// A fresh, exclusively created file next to the target, so the final rename
// stays inside one file system.
struct TemporaryFile {
    fs::path path;
    int fd = -1;
    int error = 0;
};

TemporaryFile createTemporaryNextTo(const fs::path& target) {
    std::random_device entropy;
    std::mt19937_64 random(entropy());
    TemporaryFile temporary;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%016llx.tmp",
                      static_cast<unsigned long long>(random()));
        std::string name = target.filename().string();
        name.insert(name.begin(), '.');
        name.append(suffix);
        temporary.path = folderOf(target) / name;
        temporary.fd =
            ::open(temporary.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (temporary.fd >= 0 || errno != EEXIST) {
            temporary.error = temporary.fd >= 0 ? 0 : errno;
            return temporary;
        }
    }
    temporary.error = EEXIST;
    return temporary;
}

void syncFolder(const fs::path& target) {
    const int fd = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

enum class Placement { Replace, KeepExisting };

// rename(2) replaces atomically; for KeepExisting renameat2 refuses an existing
// name, with link(2) as the fallback on file systems without RENAME_NOREPLACE.
int placeFile(const fs::path& from, const fs::path& to, Placement placement) {
    if (placement == Placement::Replace)
        return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return errno;
    if (::link(from.c_str(), to.c_str()) != 0)
        return errno;
    ::unlink(from.c_str());
    return 0;
}

WriteResult writeThroughTemporary(const fs::path& path, const FileContent& content,
                                  Placement placement) {
    TemporaryFile temporary = createTemporaryNextTo(path);
    if (temporary.fd < 0)
        return WriteResult::failure(
            systemError("cannot create a file in", folderOf(path), temporary.error));
    FileDescriptor fd(temporary.fd);
    auto discard = [&](std::string reason) {
        ::unlink(temporary.path.c_str());
        return WriteResult::failure(std::move(reason));
    };

    FileSink sink(fd.get());
    const bool produced = content(sink);
    if (sink.error() != 0)
        return discard(systemError("cannot write", path, sink.error()));
    if (!produced)
        return discard("writing " + path.string() + " was abandoned");
    if (!sink.flush())
        return discard(systemError("cannot write", path, sink.error()));
    if (::fsync(fd.get()) != 0)
        return discard(systemError("cannot flush", path, errno));
    if (fd.close() != 0)
        return discard(systemError("cannot close", path, errno));
    if (const int error = placeFile(temporary.path, path, placement); error != 0) {
        if (error == EEXIST)
            return discard(path.string() + " already exists");
        return discard(systemError("cannot put in place", path, error));
    }
    syncFolder(path);
    return WriteResult::success();
}

} // namespace

WriteResult WriteFileAtomically(const fs::path& path, const FileContent& content) {
    return writeThroughTemporary(path, content, Placement::Replace);
}

WriteResult WriteNewFileAtomically(const fs::path& path, const FileContent& content) {
    return writeThroughTemporary(path, content, Placement::KeepExisting);
}

} // namespace tolvane
