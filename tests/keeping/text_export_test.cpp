#include "keeping/text_export.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(TextExport, EveryCellFollowedByTwoSpacesAndCrLfPerRow) {
    EXPECT_EQ(ExportFileText({}), "");
    const std::vector<CellRow> rows = {
        {"1", "T", "N", "C", "U", "S", Gbk("无")},
        {"2", "", "N2", "", "", "", "a  b"},
    };
    EXPECT_EQ(ExportFileText(rows),
              "1  T  N  C  U  S  " + Gbk("无") + "  \r\n" + "2    N2        a  b  \r\n");

    test::TempDir dir;
    const auto path = dir.file(Gbk("查询记录.txt"));
    ASSERT_TRUE(SaveExportText(path, rows));
    EXPECT_EQ(test::ReadFileBytes(path), ExportFileText(rows));
}

TEST(TextExport, CopyRowTextLabelsColumnsOneToFive) {
    const CellRow row = {"1",         "2015-03-07 09:05:08", "SF1",
                         Gbk("顺丰"), Gbk("已签收 本人"),    Gbk("已签收"),
                         Gbk("备注")};
    EXPECT_EQ(CopyRowText(row), Gbk("查询时间：2015-03-07 09:05:08  快递单号：SF1  快递公司：顺丰"
                                    "  最后更新：已签收 本人  最后状态：已签收"));
    // No selection reads every cell as empty: the five labels alone.
    EXPECT_EQ(CopyRowText({}), Gbk("查询时间：  快递单号：  快递公司：  最后更新：  最后状态："));
}

} // namespace
} // namespace tolvane
