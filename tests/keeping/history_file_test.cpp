#include "keeping/history_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

TEST(HistoryFile, WritesNumberAmpersandNoteLines) {
    EXPECT_EQ(HistoryText({}), "");
    EXPECT_EQ(HistoryText({{"A1", Gbk("无")}, {"B2", "call"}}),
              "A1&" + Gbk("无") + "\r\nB2&call\r\n");
    // Nothing is escaped, and an empty number still gives its line.
    EXPECT_EQ(HistoryText({{"a&b", "x&y"}, {"", Gbk("无")}}), "a&b&x&y\r\n&" + Gbk("无") + "\r\n");
}

struct ParseCase {
    const char* name;
    std::string fileText;
    std::vector<HistoryEntry> expected;
};

class HistoryParse : public testing::TestWithParam<ParseCase> {};

TEST_P(HistoryParse, ReadsLinesTolerantly) {
    EXPECT_EQ(ParseHistory(GetParam().fileText), GetParam().expected);
}

const Text kNone = Gbk("无");

INSTANTIATE_TEST_SUITE_P(
    Lines, HistoryParse,
    testing::Values(
        ParseCase{"Empty", "", {}},
        ParseCase{
            "WrittenRows", "A1&" + kNone + "\r\nB2&call\r\n", {{"A1", kNone}, {"B2", "call"}}},
        ParseCase{"LastLineWithoutCrLf", "A1&x\r\nB2&y", {{"A1", "x"}, {"B2", "y"}}},
        ParseCase{"AmpersandInNoteCutsIt", "A1&a&b\r\n", {{"A1", "a"}}},
        ParseCase{"AmpersandInNumberMovesTheRestToTheNote", "a&b&note\r\n", {{"a", "b"}}},
        ParseCase{"EmptyNumber", "&" + kNone + "\r\n", {{"", kNone}}},
        ParseCase{"PlainNumberList", "SF1\r\nYT2\r\n", {{"SF1", kNone}, {"YT2", kNone}}},
        ParseCase{"OnlyAmpersandIsLast", "SF1&\r\n&\r\n", {{"SF1", kNone}, {"", kNone}}},
        ParseCase{
            "EmptyLinesSkipped", "\r\nA1&x\r\n\r\n\r\nB2&y\r\n\r\n", {{"A1", "x"}, {"B2", "y"}}},
        ParseCase{"NoteWithSpacesKept", "A1&  x \r\n", {{"A1", "  x "}}},
        ParseCase{
            "ChineseNote", Gbk("中通123&已电话联系\r\n"), {{Gbk("中通123"), Gbk("已电话联系")}}},
        ParseCase{"LoneLfIsNotALineEnd", "A1&x\nB2&y\r\n", {{"A1", "x\nB2"}}}),
    [](const testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

TEST(HistoryFile, SaveThenReadRoundTrips) {
    TempDir dir;
    const auto path = dir.file("history.txt");
    const std::vector<HistoryEntry> entries = {
        {"A1", kNone}, {Gbk("单号 7"), Gbk("客户说'周一'再送")}, {"C3", "\"quoted\""}};
    ASSERT_TRUE(SaveHistoryFile(path, entries));
    EXPECT_EQ(ReadFileBytes(path), HistoryText(entries));
    EXPECT_EQ(ParseHistory(ReadHistoryText(path)), entries);

    ASSERT_TRUE(SaveHistoryFile(path, {}));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
    EXPECT_TRUE(ParseHistory(ReadHistoryText(path)).empty());
}

TEST(HistoryFile, UnreadableOrOddFilesReadAsText) {
    TempDir dir;
    EXPECT_EQ(ReadHistoryText(dir.file("missing.txt")), "");
    EXPECT_EQ(ReadHistoryText(dir.path()), "") << "a folder is unreadable as a file";

    // Text stops at a zero byte, as every text read from bytes does.
    WriteFileBytes(dir.file("zero.txt"), std::string("A1&x\r\nB2&y\0C3&z\r\n", 18));
    EXPECT_EQ(ReadHistoryText(dir.file("zero.txt")), "A1&x\r\nB2&y");

    std::string binary;
    for (int i = 1; i < 256; ++i)
        binary.push_back(static_cast<char>(i));
    WriteFileBytes(dir.file("binary.txt"), binary);
    EXPECT_FALSE(ParseHistory(ReadHistoryText(dir.file("binary.txt"))).empty());
}

TEST(HistoryFile, FailedSaveKeepsThePreviousFile) {
    TempDir dir;
    WriteFileBytes(dir.file("history.txt"), "A1&x\r\n");
    WriteFileBytes(dir.file("file"), "");
    EXPECT_FALSE(SaveHistoryFile(dir.file("file") / "history.txt", {{"B2", "y"}}));
    EXPECT_EQ(ReadFileBytes(dir.file("history.txt")), "A1&x\r\n");
}

} // namespace
} // namespace tolvane
