// Where the writers of history, text exports and workbooks put their bytes: a
// file, memory, or in tests a sink that fails part-way.
#pragma once

#include <string>
#include <string_view>

namespace tolvane {

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // False when the bytes could not be taken; a writer stops at the first false.
    virtual bool write(std::string_view bytes) = 0;
};

class StringSink final : public ByteSink {
public:
    bool write(std::string_view bytes) override {
        bytes_.append(bytes);
        return true;
    }
    const std::string& bytes() const { return bytes_; }
    std::string take() { return std::move(bytes_); }

private:
    std::string bytes_;
};

// The outcome of a write, with a readable reason when it failed.
struct WriteResult {
    bool ok = true;
    std::string error;

    static WriteResult success() { return {}; }
    static WriteResult failure(std::string reason) { return {false, std::move(reason)}; }
    explicit operator bool() const { return ok; }
};

} // namespace tolvane
