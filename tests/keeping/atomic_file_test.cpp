#include "keeping/atomic_file.h"

#include "keeping/failing_sink.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using test::FailingSink;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

FileContent bytesOf(const std::string& bytes) {
    return [bytes](ByteSink& out) { return out.write(bytes); };
}

std::size_t filesIn(const std::filesystem::path& folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                  std::filesystem::directory_iterator()));
}

TEST(AtomicFile, CreatesAndReplacesWholeFiles) {
    TempDir dir;
    const auto path = dir.file("history.txt");
    ASSERT_TRUE(WriteFileAtomically(path, bytesOf("first\r\n")));
    EXPECT_EQ(ReadFileBytes(path), "first\r\n");

    ASSERT_TRUE(WriteFileAtomically(path, bytesOf("")));
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);

    const std::string large(3 * 1024 * 1024 + 17, 'x'); // larger than the write buffer
    ASSERT_TRUE(WriteFileAtomically(path, [&](ByteSink& out) {
        return out.write(large.substr(0, 5)) && out.write(large.substr(5));
    }));
    EXPECT_EQ(ReadFileBytes(path), large);
    EXPECT_EQ(filesIn(dir.path()), 1u) << "no temporary file may stay behind";
}

// A write that fails part-way, at any point, keeps the previous file exactly.
TEST(AtomicFile, FailedWriteKeepsThePreviousFile) {
    TempDir dir;
    const auto path = dir.file("history.txt");
    WriteFileBytes(path, "A1&note\r\n");
    const std::string replacement(600 * 1024, 'y');
    for (std::size_t failAfter :
         {std::size_t{0}, std::size_t{1}, std::size_t{300 * 1024}, replacement.size() - 1}) {
        const WriteResult result = WriteFileAtomically(path, [&](ByteSink& out) {
            FailingSink failing(out, failAfter);
            return failing.write(replacement.substr(0, 1000)) &&
                   failing.write(replacement.substr(1000));
        });
        EXPECT_FALSE(result) << "fail after " << failAfter;
        EXPECT_FALSE(result.error.empty());
        EXPECT_EQ(ReadFileBytes(path), "A1&note\r\n") << "fail after " << failAfter;
        EXPECT_EQ(filesIn(dir.path()), 1u) << "fail after " << failAfter;
    }
}

// Root ignores folder permissions, so a folder that is really a file makes the
// write fail for everyone.
TEST(AtomicFile, UnwritableFolderIsReported) {
    TempDir dir;
    WriteFileBytes(dir.file("not-a-folder"), "x");
    const WriteResult result =
        WriteFileAtomically(dir.file("not-a-folder") / "history.txt", bytesOf("data"));
    EXPECT_FALSE(result);
    EXPECT_NE(result.error.find("not-a-folder"), std::string::npos) << result.error;
    EXPECT_EQ(ReadFileBytes(dir.file("not-a-folder")), "x");
}

TEST(AtomicFile, NewFileNeverReplacesAnExistingOne) {
    TempDir dir;
    const auto path = dir.file("book.xls");
    ASSERT_TRUE(WriteNewFileAtomically(path, bytesOf("first")));
    const WriteResult second = WriteNewFileAtomically(path, bytesOf("second"));
    EXPECT_FALSE(second);
    EXPECT_NE(second.error.find("already exists"), std::string::npos) << second.error;
    EXPECT_EQ(ReadFileBytes(path), "first");
    EXPECT_EQ(filesIn(dir.path()), 1u);

    const WriteResult failed = WriteNewFileAtomically(dir.file("other.xls"), [](ByteSink& out) {
        FailingSink failing(out, 3);
        return failing.write("partial");
    });
    EXPECT_FALSE(failed);
    EXPECT_FALSE(std::filesystem::exists(dir.file("other.xls")));
    EXPECT_EQ(filesIn(dir.path()), 1u);
}

} // namespace
} // namespace tolvane
