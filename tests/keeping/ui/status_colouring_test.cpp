// Status colouring: the rules per cell, the three passes, and runs that colour.
#include "keeping/ui/status_colouring.h"
#include "support/qt/test_window.h"

#include <QSignalSpy>
#include <QTableView>

#include <gtest/gtest.h>

namespace tolvane {
namespace {

QVariant Foreground(const ResultsTable& table, int row, int column) {
    return table.data(table.index(row, column), Qt::ForegroundRole);
}

class Colouring : public ::testing::Test {
protected:
    Colouring() : colouring(&table, &view, nullptr) {
        view.setModel(&table);
        table.attachView(&view);
    }

    void addRows(std::initializer_list<const char*> statuses) {
        for (const char* status : statuses) {
            const int row = table.insertRow();
            table.setCellText(row, 5, Gbk(status));
        }
    }

    ColourRule listOwn() const {
        const QColor text = view.palette().color(QPalette::Text);
        const QColor base = view.palette().color(QPalette::Base);
        auto ref = [](const QColor& c) {
            return static_cast<ColourRef>(c.red() | (c.green() << 8) | (c.blue() << 16));
        };
        return {ref(text), ref(base)};
    }

    ResultsTable table;
    QTableView view;
    StatusColouring colouring;
};

TEST_F(Colouring, StatusWordsColourAllSevenCellsAndOthersDrawBlack) {
    addRows({"已签收", "运输途中", "无", "派件中", "已签收 ", ""});
    QSignalSpy repaints(&table, &QAbstractItemModel::dataChanged);
    colouring.ColourByStatus();
    EXPECT_EQ(repaints.count(), 3) << "one repaint per pass";
    const QColor expected[] = {QColor(128, 128, 128), QColor(0, 128, 0), Qt::black,
                               QColor(128, 0, 128),   Qt::black,         Qt::black};
    for (int row = 0; row < 6; ++row) {
        for (int column = 0; column < 7; ++column)
            EXPECT_EQ(Foreground(table, row, column).value<QColor>(), expected[row])
                << row << "," << column;
    }
    EXPECT_EQ(colouring.ruleCount(), 21u);
    EXPECT_FALSE(table.data(table.index(0, 0), Qt::BackgroundRole).isValid())
        << "the background stays the list's own";
}

TEST_F(Colouring, NothingIsColouredOrRepaintedBeforeTheFirstRule) {
    addRows({"无"});
    QSignalSpy repaints(&table, &QAbstractItemModel::dataChanged);
    colouring.ClearRowColours();
    colouring.ColourByStatus(); // no row matches: still the list's own colours
    EXPECT_EQ(repaints.count(), 0);
    EXPECT_FALSE(Foreground(table, 0, 0).isValid());
}

TEST_F(Colouring, SetCellColourKeepsOneRuleWithTheLatestColoursAndRemovesListColours) {
    addRows({"", ""});
    colouring.SetCellColour(1, 3, 0x0000FF, ClrDefault);
    colouring.SetCellColour(1, 3, 0x00FF00, 0x112233);
    EXPECT_EQ(colouring.ruleCount(), 1u);
    EXPECT_EQ(Foreground(table, 1, 3).value<QColor>(), QColor(0, 255, 0));
    EXPECT_EQ(table.data(table.index(1, 3), Qt::BackgroundRole).value<QColor>(),
              QColor(0x33, 0x22, 0x11));
    const ColourRule own = listOwn();
    colouring.SetCellColour(1, 3, own.text, own.background);
    EXPECT_EQ(colouring.ruleCount(), 0u);
    colouring.SetCellColour(0, 0, own.text, own.background);
    EXPECT_EQ(colouring.ruleCount(), 0u) << "list colours add no rule";
    EXPECT_EQ(Foreground(table, 1, 3).value<QColor>(), QColor(Qt::black));
}

TEST_F(Colouring, ClearRowColoursDropsEveryRuleInOneRepaint) {
    addRows({"已签收", "派件中"});
    colouring.ColourByStatus();
    QSignalSpy repaints(&table, &QAbstractItemModel::dataChanged);
    colouring.ClearRowColours();
    EXPECT_EQ(repaints.count(), 1);
    EXPECT_EQ(colouring.ruleCount(), 0u);
    EXPECT_EQ(Foreground(table, 0, 0).value<QColor>(), QColor(Qt::black));
}

TEST(ColouringRun, ASecondRunWithTheSameCompletionTextColoursAgain) {
    test::TestWindow t;
    auto& table = *t.parts().table;
    t.setNumbers("S1\r\nR2\r\nW3");
    t.window().runs().QueryButtonClicked();
    ASSERT_TRUE(t.waitForRunEnd());
    EXPECT_EQ(Foreground(table, 0, 6).value<QColor>(), QColor(128, 128, 128));
    EXPECT_EQ(Foreground(table, 1, 0).value<QColor>(), QColor(0, 128, 0));
    EXPECT_EQ(Foreground(table, 2, 4).value<QColor>(), QColor(Qt::black));
    const std::string firstCompletion = t.status();

    t.window().runs().Requery();
    EXPECT_EQ(t.window().colouring().ruleCount(), 0u) << "cleared while the run lasts";
    ASSERT_TRUE(t.waitForRunEnd());
    EXPECT_EQ(t.status(), firstCompletion);
    EXPECT_EQ(Foreground(table, 0, 6).value<QColor>(), QColor(128, 128, 128));
    EXPECT_EQ(Foreground(table, 1, 0).value<QColor>(), QColor(0, 128, 0));
}

} // namespace
} // namespace tolvane
