#include "keeping/excel_export.h"

#include "keeping/workbook_readers.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using test::TempDir;

std::size_t filesIn(const std::filesystem::path& folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                  std::filesystem::directory_iterator()));
}

const CellRow kTitles = {"a", "b"};

TEST(ExcelExport, WorkbookNamedBySaveMoment) {
    EXPECT_EQ(WorkbookFileName({2015, 3, 7, 9, 5, 8}), "2015年03月07日 09时05分08秒 保存记录.xls");
    EXPECT_EQ(WorkbookFileName({2024, 12, 31, 23, 59, 59}),
              "2024年12月31日 23时59分59秒 保存记录.xls");
    EXPECT_EQ(ToUtf8(WorkbookSheetName()), "Tolvane，软件作者，Halvik");
}

TEST(ExcelExport, SecondSaveInTheSameSecondLeavesTheFirst) {
    TempDir dir;
    const auto path = dir.file(WorkbookFileName({2015, 3, 7, 9, 5, 8}));
    ASSERT_EQ(SaveWorkbook(path, kTitles, {{"1", "first"}}).status, WorkbookOutcome::Status::Saved);
    const std::string first = test::ReadFileBytes(path);
    EXPECT_EQ(SaveWorkbook(path, kTitles, {{"1", "second"}}).status,
              WorkbookOutcome::Status::NameTaken);
    EXPECT_EQ(test::ReadFileBytes(path), first);
    EXPECT_EQ(filesIn(dir.path()), 1u);
}

TEST(ExcelExport, FailedSaveLeavesNoWorkbook) {
    TempDir dir;
    test::WriteFileBytes(dir.file("file"), "");
    const WorkbookOutcome outcome = SaveWorkbook(dir.file("file") / "book.xls", kTitles, {{"1"}});
    EXPECT_EQ(outcome.status, WorkbookOutcome::Status::Failed);
    EXPECT_FALSE(outcome.error.empty());
}

// The header row takes one of the sheet's 65,536 rows.
TEST(ExcelExport, RowLimitIsTheFormatsLessTheHeader) {
    TempDir dir;
    std::vector<CellRow> rows(kMaxWorkbookDataRows + 1, CellRow{"r"});
    const auto refused = dir.file("refused.xls");
    EXPECT_EQ(SaveWorkbook(refused, kTitles, rows).status, WorkbookOutcome::Status::TooManyRows);
    EXPECT_FALSE(std::filesystem::exists(refused));

    rows.pop_back();
    rows.back() = {"last", "cell"};
    const auto full = dir.file("full.xls");
    ASSERT_EQ(SaveWorkbook(full, kTitles, rows).status, WorkbookOutcome::Status::Saved);
    if (const std::string missing = test::ReaderMissing(test::WorkbookReader::Xlrd);
        !missing.empty())
        GTEST_SKIP() << missing;
    std::string error;
    const auto book = test::ReadBack(test::WorkbookReader::Xlrd, full, &error);
    ASSERT_TRUE(book) << error;
    ASSERT_EQ(book->rows.size(), kMaxWorkbookDataRows + 1);
    EXPECT_EQ(book->rows.front(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(book->rows[1], (std::vector<std::string>{"r", ""}));
    EXPECT_EQ(book->rows.back(), (std::vector<std::string>{"last", "cell"}));
}

} // namespace
} // namespace tolvane
