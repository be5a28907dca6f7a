#include "keeping/xls_writer.h"

#include "keeping/excel_export.h"
#include "keeping/failing_sink.h"
#include "keeping/workbook_readers.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using test::ReadBack;
using test::ReadWorkbook;
using test::TempDir;
using test::WorkbookReader;
using Table = std::vector<std::vector<Text>>;

// The table as a reader shows it: UTF-8 texts, every row as wide as the widest.
std::vector<std::vector<std::string>> asReadBack(const Table& rows) {
    std::size_t columns = 0;
    for (const auto& row : rows)
        columns = std::max(columns, row.size());
    std::vector<std::vector<std::string>> out;
    for (const auto& row : rows) {
        std::vector<std::string> cells(columns);
        for (std::size_t c = 0; c < row.size(); ++c)
            cells[c] = ToUtf8(row[c]);
        out.push_back(std::move(cells));
    }
    return out;
}

std::filesystem::path writeWorkbook(const TempDir& dir, const Table& rows,
                                    const Text& sheet = WorkbookSheetName()) {
    const auto path = dir.file("book.xls");
    StringSink sink;
    const XlsOutcome outcome = WriteXlsWorkbook(sheet, rows, sink);
    EXPECT_TRUE(outcome.result) << outcome.result.error;
    test::WriteFileBytes(path, sink.bytes());
    return path;
}

void expectReadsBack(WorkbookReader reader, const std::filesystem::path& path, const Table& rows,
                     const std::vector<std::vector<std::string>>& expected) {
    std::string error;
    const std::optional<ReadWorkbook> book = ReadBack(reader, path, &error);
    ASSERT_TRUE(book) << error;
    EXPECT_EQ(book->biffVersion, 8);
    EXPECT_EQ(book->codepage, 1200);
    EXPECT_EQ(book->sheetCount, 1);
    EXPECT_EQ(book->sheetName, "Tolvane，软件作者，Halvik");
    ASSERT_EQ(book->rows.size(), rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r)
        ASSERT_EQ(book->rows[r], expected[r]) << "row " << r;
}

class WorkbookReadBack : public testing::TestWithParam<WorkbookReader> {
protected:
    void SetUp() override {
        if (const std::string missing = test::ReaderMissing(GetParam()); !missing.empty())
            GTEST_SKIP() << missing;
    }
    void expectReadsBack(const std::filesystem::path& path, const Table& rows) {
        tolvane::expectReadsBack(GetParam(), path, rows, asReadBack(rows));
    }
};

Table titledRows() {
    return {
        {Gbk("序号"), Gbk("查询时间"), Gbk("快递单号"), Gbk("快递公司"),
         Gbk("最后更新（双击查询详细物流信息）"), Gbk("最后状态"), Gbk("备注")},
        {"1", "2015-03-07 09:05:08", "SF1001", Gbk("顺丰速运"),
         Gbk("2015-03-07 08:00 已签收,签收人是：本人"), Gbk("已签收"), Gbk("无")},
        {"2", "", "O'Brien 7", "", "", "", Gbk("客户说'周一'再送 \"急\" & 'x'")},
        {"3", "2015-03-07 09:05:09", "YT2", Gbk("无"), Gbk("无"), Gbk("无"), Gbk("无")},
    };
}

TEST_P(WorkbookReadBack, SheetNameHeaderAndEveryCell) {
    TempDir dir;
    const Table rows = titledRows();
    expectReadsBack(writeWorkbook(dir, rows), rows);
}

TEST_P(WorkbookReadBack, TwentyThousandRowsAcrossManyContinueRecords) {
    TempDir dir;
    Table rows = titledRows();
    for (int i = 1; i <= 20000; ++i)
        rows.push_back({std::to_string(i), "2015-03-07 09:05:" + std::to_string(i % 60),
                        "SF" + std::to_string(1000000 + i), Gbk("中通快递"),
                        Gbk("【杭州市】快件已到达 杭州中转部 第") + std::to_string(i) + Gbk("站"),
                        i % 3 ? Gbk("运输途中") : Gbk("已签收"), Gbk("无")});
    expectReadsBack(writeWorkbook(dir, rows), rows);
}

// More than 7 MB of stream needs FAT sectors beyond the 109 the header lists.
TEST_P(WorkbookReadBack, LargeWorkbookNeedsDifatSectors) {
    TempDir dir;
    Table rows = titledRows();
    for (int i = 0; i < 4000; ++i)
        rows.push_back({std::to_string(i),
                        std::string(2000, static_cast<char>('a' + i % 26)) + std::to_string(i)});
    const auto path = writeWorkbook(dir, rows);
    ASSERT_GT(std::filesystem::file_size(path), 8'000'000u);
    expectReadsBack(path, rows);
}

// Unreadable code page 936 bytes become "?", never a broken string.
TEST_P(WorkbookReadBack, InvalidBytesBecomeQuestionMarks) {
    TempDir dir;
    const Table rows = {{"ok", std::string("a\xFF") + "b", "\x81"}};
    tolvane::expectReadsBack(GetParam(), writeWorkbook(dir, rows), rows, {{"ok", "a?b", "?"}});
}

INSTANTIATE_TEST_SUITE_P(Readers, WorkbookReadBack,
                         testing::Values(WorkbookReader::Xlrd, WorkbookReader::FreeXl),
                         [](const testing::TestParamInfo<WorkbookReader>& info) {
                             return info.param == WorkbookReader::Xlrd ? "Xlrd" : "FreeXl";
                         });

// FreeXL cannot read a string that runs through more than one CONTINUE record,
// so long cells are checked with xlrd only.
TEST(WorkbookLongCells, LongCellsExportWholeAndOverlongOnesAreCut) {
    if (const std::string missing = test::ReaderMissing(WorkbookReader::Xlrd); !missing.empty())
        GTEST_SKIP() << missing;
    TempDir dir;
    Text chinese;
    for (int i = 0; i < 15000; ++i)
        chinese += Gbk("签");
    const Table rows = {{"head"},
                        {std::string(30000, 'x') + "end", chinese, std::string(300, 'y')},
                        {std::string(40000, 'z'), "short"}};
    const auto path = dir.file("long.xls");
    StringSink sink;
    const XlsOutcome outcome = WriteXlsWorkbook(WorkbookSheetName(), rows, sink);
    ASSERT_TRUE(outcome.result);
    EXPECT_EQ(outcome.cutTexts, 1u);
    test::WriteFileBytes(path, sink.bytes());

    auto expected = asReadBack(rows);
    expected[2][0].resize(XlsLimits::kCellUnits);
    expectReadsBack(WorkbookReader::Xlrd, path, rows, expected);
}

TEST(XlsWriter, RefusesWhatTheFormatCannotHold) {
    struct Case {
        const char* what;
        Text sheet;
        Table rows;
    };
    const std::vector<Case> cases = {
        {"too many rows", WorkbookSheetName(), Table(XlsLimits::kRows + 1, {"x"})},
        {"too many columns", WorkbookSheetName(), Table{std::vector<Text>(257, "x")}},
        {"empty sheet name", "", Table{{"x"}}},
        {"long sheet name", std::string(32, 's'), Table{{"x"}}},
        {"bracket in sheet name", "a[1]", Table{{"x"}}},
    };
    for (const Case& c : cases) {
        StringSink sink;
        const XlsOutcome outcome = WriteXlsWorkbook(c.sheet, c.rows, sink);
        EXPECT_FALSE(outcome.result) << c.what;
        EXPECT_TRUE(sink.bytes().empty()) << c.what;
    }
}

TEST(XlsWriter, StopsAtAFailingSink) {
    StringSink memory;
    ASSERT_TRUE(WriteXlsWorkbook(WorkbookSheetName(), titledRows(), memory).result);
    StringSink inner;
    test::FailingSink failing(inner, 1000);
    EXPECT_FALSE(WriteXlsWorkbook(WorkbookSheetName(), titledRows(), failing).result);
    // Small workbooks are padded to the 4096-byte stream plus the container's sectors.
    EXPECT_EQ(memory.bytes().size(), 512u + 4096u + 512u + 512u);
}

} // namespace
} // namespace tolvane
