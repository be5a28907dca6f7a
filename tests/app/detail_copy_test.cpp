// CopyDetail through the real window against the tracking simulator: the tip,
// the clipboard, the status line, the silent end, and a copy still out when the
// user double-clicks again or the window goes away.
#include "app/detail_copy.h"
#include "app/main_window.h"
#include "query/detail_text.h"
#include "query/query_number.h"
#include "query/ui/qt_text.h"
#include "support/qt/scripted_prompts.h"
#include "support/qt/test_window.h"
#include "support/sim_process.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

#include <memory>

namespace tolvane {
namespace {

// The clock every test window reads.
const LocalTime morning = test::TestWindow::FixedTime();

class DetailCopyTest : public testing::Test {
protected:
    static void SetUpTestSuite() { sim_ = std::make_unique<test::SimProcess>(); }
    static void TearDownTestSuite() { sim_.reset(); }

    void SetUp() override {
        AppServices services = test::TestServices(prompts_, test::SimHosts(*sim_));
        services.features.push_back(InstallDetailCopy);
        window_ = std::make_unique<MainWindow>(std::move(services));
        window_->show();
        copy_ = window_->findChild<DetailCopy*>();
        ASSERT_NE(copy_, nullptr);
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    }

    ResultsTable& table() { return *window_->parts().table; }

    void addRow(const Text& number, const Text& company) {
        const int row = table().insertRow();
        table().setCellText(row, 2, number);
        table().setCellText(row, 3, company);
    }

    // A double-click on the list, then the wait for the copy to end.
    void doubleClickAndWait() {
        QSignalSpy finished(copy_, &DetailCopy::copyFinished);
        QWidget* viewport = window_->parts().tableView->viewport();
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, QPoint(300, 10));
        ASSERT_TRUE(finished.wait(10000));
    }

    Text clipboard() const { return FromQString(QGuiApplication::clipboard()->text()); }
    Text box5() const { return window_->parts().trigger("编辑框5")->text(); }

    static std::unique_ptr<test::SimProcess> sim_;
    test::ScriptedPrompts prompts_;
    std::unique_ptr<MainWindow> window_;
    DetailCopy* copy_ = nullptr;
};

std::unique_ptr<test::SimProcess> DetailCopyTest::sim_;

TEST_F(DetailCopyTest, ThreeEventsAreShownCopiedAndConfirmed) {
    addRow("P1", Gbk("其他公司"));
    addRow("N3", Gbk("中通快递"));
    window_->parts().tableView->selectRow(1);
    doubleClickAndWait();

    const Text expected =
        *DetailText(FetchDetailPage("N3", window_->parts().hosts), "N3", Gbk("中通快递"), morning);
    const Text header =
        Gbk("快递单号：N3   快递公司：中通快递   查询时间：2015-03-07 09:05:07\r\n\r\n");
    EXPECT_EQ(expected.substr(0, header.size()), header);
    EXPECT_EQ(Split(expected, "\r\n").size(), 11u);
    EXPECT_EQ(clipboard(), expected);
    EXPECT_EQ(box5(), expected);
    EXPECT_EQ(FromQString(QToolTip::text()), expected);
    EXPECT_EQ(window_->statusText(), Gbk("快递单号：N3 的物流信息已为您复制！"));
    EXPECT_TRUE(prompts_.shown().empty());
}

TEST_F(DetailCopyTest, PageWithoutEventsCopiesTheHeaderAlone) {
    addRow("N0", Gbk("圆通速递"));
    window_->parts().tableView->selectRow(0);
    doubleClickAndWait();
    const Text header =
        Gbk("快递单号：N0   快递公司：圆通速递   查询时间：2015-03-07 09:05:07\r\n\r\n");
    EXPECT_EQ(clipboard(), header);
    EXPECT_EQ(window_->statusText(), Gbk("快递单号：N0 的物流信息已为您复制！"));
}

TEST_F(DetailCopyTest, NoSelectionCopiesWithAnEmptyNumberAndCompany) {
    addRow("N3", Gbk("中通快递"));
    window_->parts().tableView->clearSelection();
    doubleClickAndWait();
    EXPECT_EQ(clipboard(), Gbk("快递单号：   快递公司：   查询时间：2015-03-07 09:05:07\r\n\r\n"));
    EXPECT_EQ(window_->statusText(), Gbk("快递单号： 的物流信息已为您复制！"));

    // An empty list behaves the same.
    table().deleteAllRows();
    doubleClickAndWait();
    EXPECT_EQ(window_->statusText(), Gbk("快递单号： 的物流信息已为您复制！"));
}

TEST_F(DetailCopyTest, NoInformationPageEndsSilently) {
    addRow("W5", "");
    window_->parts().tableView->selectRow(0);
    const Text statusBefore = window_->statusText();
    doubleClickAndWait();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    EXPECT_EQ(window_->statusText(), statusBefore);
    EXPECT_EQ(box5(), "");
    EXPECT_TRUE(prompts_.shown().empty());
}

TEST_F(DetailCopyTest, WindowAnswersAndASecondDoubleClickIsIgnoredWhileOneIsOut) {
    addRow("L1", Gbk("慢公司"));
    window_->parts().tableView->selectRow(0);
    QSignalSpy finished(copy_, &DetailCopy::copyFinished);
    QWidget* viewport = window_->parts().tableView->viewport();
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, QPoint(300, 10));
    EXPECT_TRUE(copy_->inFlight());
    // The UI thread is free: the selection can move while the page loads.
    addRow("N3", Gbk("中通快递"));
    window_->parts().tableView->selectRow(1);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, QPoint(300, 10));
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_FALSE(finished.wait(1500)) << "the second double-click started a copy";
    EXPECT_EQ(finished.count(), 1);
    // The copy belongs to the row that was double-clicked.
    EXPECT_EQ(clipboard().substr(0, Gbk("快递单号：L1   快递公司：慢公司").size()),
              Gbk("快递单号：L1   快递公司：慢公司"));
    EXPECT_EQ(window_->statusText(), Gbk("快递单号：L1 的物流信息已为您复制！"));
}

TEST_F(DetailCopyTest, WindowClosedWhileTheCopyIsOutDropsIt) {
    addRow("L1", "");
    window_->parts().tableView->selectRow(0);
    copy_->CopyDetail();
    window_.reset();
    // Longer than the slow reply: the late result must find nothing to write to.
    QTest::qWait(1500);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
}

} // namespace
} // namespace tolvane
