// The query of one number against the tracking simulator, and the reading of
// detail pages without the network.
#include "query/query_number.h"

#include "support/sim_process.h"

#include <gtest/gtest.h>

#include <memory>

namespace tolvane {
namespace {

constexpr LocalTime kMorning{2015, 3, 7, 9, 5, 7};

Clock fixedClock() {
    return [] { return kMorning; };
}

class QueryNumberTest : public testing::Test {
protected:
    static void SetUpTestSuite() { sim_ = std::make_unique<test::SimProcess>(); }
    static void TearDownTestSuite() { sim_.reset(); }

    static QueryOutcome query(const std::string& number) {
        return QueryNumber(Gbk(number), QueryContext{test::SimHosts(*sim_), fixedClock()});
    }

    static std::unique_ptr<test::SimProcess> sim_;
};

std::unique_ptr<test::SimProcess> QueryNumberTest::sim_;

struct BranchCase {
    const char* number;
    const char* company;
    const char* lastUpdate;
    const char* status;
};

TEST_F(QueryNumberTest, ClassifiesEveryBranchOfTheService) {
    const BranchCase cases[] = {
        {"S1", "圆通速递", "2015-03-05 12:10 【上海市】 已签收，签收人是：前台，期待再次为您服务",
         "已签收"},
        {"P1", "申通快递", "2015-03-01 12:10 【上海市】 上海浦东 的派件员 王师傅 正在派件",
         "派件中"},
        {"D1", "EMS", "2015-03-01 12:10 【上海市】 快件正在派送中，请保持电话畅通", "派件中"},
        {"T1", "EMS", "2015-03-04 12:10 【上海市】 快件已投递到 浦东驿站，请及时领取", "派件中"},
        {"R1", "顺丰速运", "2015-03-01 12:10 【上海市】 快件已到达 上海浦东", "运输途中"},
        // "准备签收" holds "签收", which is tested first.
        {"Z1", "顺丰速运", "2015-03-05 12:10 【上海市】 快件准备签收，请保持电话畅通", "已签收"},
        // Keywords go by table order, not by which event is newer.
        {"O1", "百世汇通", "2015-03-05 12:47 【上海市】 上海浦东 的派件员 王师傅 正在派件",
         "已签收"},
        {"F1", "中通快递", "2015-03-04 09:05 【杭州市】 快件已被 杭州萧山 收件", "运输途中"},
        {"N3", "EMS", "2015-03-03 10:19 【中转站】 快件经过 第3站 中转", "运输途中"},
        {"N1", "中通快递", "2015-03-05 09:05 【中转站】 快件经过 第1站 中转", "运输途中"},
        // A page without any event item still gives its company.
        {"N0", "韵达快递", "  ", "运输途中"},
        // Company broken over two lines: the break and the blanks around it go.
        {"B1", "中通快递", "2015-03-05 12:10 【上海市】 已签收，签收人是：前台，期待再次为您服务",
         "已签收"},
        // A "】" in the company ends column 3.
        {"K1", "顺丰", "2015-03-01 12:10 【上海市】 上海浦东 的派件员 王师傅 正在派件", "派件中"},
        // A blank inside the number goes into both requests.
        {"S1 2", "韵达快递", "2015-03-05 12:10 【上海市】 已签收，签收人是：前台，期待再次为您服务",
         "已签收"},
    };
    for (const BranchCase& c : cases) {
        SCOPED_TRACE(c.number);
        const QueryOutcome row = query(c.number);
        EXPECT_EQ(row.queryTime, "2015-03-07 09:05:07");
        EXPECT_EQ(ToUtf8(row.company), c.company);
        EXPECT_EQ(ToUtf8(row.lastUpdate), c.lastUpdate);
        EXPECT_EQ(ToUtf8(row.status), c.status);
    }
}

TEST_F(QueryNumberTest, PageWithoutInformationFillsEveryCellWithNone) {
    const QueryOutcome row = query("W1");
    EXPECT_EQ(row.queryTime, "2015-03-07 09:05:07");
    EXPECT_EQ(ToUtf8(row.company), "无");
    EXPECT_EQ(ToUtf8(row.lastUpdate), "无");
    EXPECT_EQ(ToUtf8(row.status), "无");
}

TEST_F(QueryNumberTest, UnknownNumberGivesTheEmptyPageRow) {
    for (const char* number : {"U1", ""}) {
        SCOPED_TRACE(number);
        const QueryOutcome row = query(number);
        EXPECT_EQ(row.queryTime, "2015-03-07 09:05:07");
        EXPECT_EQ(row.company, "");
        EXPECT_EQ(row.lastUpdate, "  ");
        EXPECT_EQ(ToUtf8(row.status), "运输途中");
    }
}

TEST(QueryNumberUnreachable, ServiceThatRefusesGivesTheEmptyPageRow) {
    // Port 1 on loopback is closed: both requests fail at once.
    const QueryContext context{ServiceHosts{"127.0.0.1:1", "127.0.0.1:1"}, fixedClock()};
    const QueryOutcome row = QueryNumber("S1", context);
    EXPECT_EQ(row.queryTime, "2015-03-07 09:05:07");
    EXPECT_EQ(row.company, "");
    EXPECT_EQ(row.lastUpdate, "  ");
    EXPECT_EQ(ToUtf8(row.status), "运输途中");
}

TEST(QueryUrls, AreBuiltByPlainConcatenation) {
    const ServiceHosts hosts{"d.example:81", "m.example"};
    EXPECT_EQ(DetectionUrl("12 3", hosts), "d.example:81/autonumber/auto?num=12 3");
    EXPECT_EQ(DetailUrl("", "123", hosts), "http://m.example/queryDetail.php?com=&nu=123");
    EXPECT_EQ(DetailUrl("ems", "123", hosts), "http://m.example/queryDetail.php?com=ems&nu=123");
    EXPECT_EQ(ToUtf8(QueryStatusText("A 1")), "正在查询： A 1 请勿操作！");
}

std::string pageWith(const std::string& company, const std::string& number,
                     const std::string& items) {
    return Gbk("<html><div class=\"com-info\"> <span class=\"info1\">" + company +
               "</span> <span class=\"info2\">单号：" + number + "</span> </div>\r\n<div><ul>" +
               items + "</ul></div></html>");
}

std::string item(const std::string& cls, const std::string& dt, const std::string& dd,
                 const std::string& text) {
    return "<li class=\"" + cls + "\"><dl class=\"col1\"><dt>" + dt + "</dt><dd>" + dd +
           "</dd></dl><span class=\"col2\"><span class=\"line1\"></span><span "
           "class=\"line2\"></span><span class=\"point\"></span></span><span class=\"col3\">" +
           text + "</span></li>";
}

TEST(ReadDetailPage, TrimsBlanksButKeepsTheEventPiecesRaw) {
    // Full-width blanks and ASCII blanks around the company go; tabs and the
    // blanks inside the event stay as they are.
    const std::string page = pageWith("　 中通 \r\n\t快递 　", " 123 ",
                                      item("first", "2015-03-01", "08:00", "收件") +
                                          item(" last", " 2015-03-02", "09:00 ", " 到达\t杭州 "));
    const QueryOutcome row = ReadDetailPage(page, kMorning, kMorning);
    EXPECT_EQ(ToUtf8(row.company), "中通\t快递");
    EXPECT_EQ(ToUtf8(row.lastUpdate), " 2015-03-02 09:00   到达\t杭州 ");
    EXPECT_EQ(ToUtf8(row.status), "运输途中");
}

TEST(ReadDetailPage, NoneAnywhereOnThePageWins) {
    const std::string page =
        pageWith("中通快递", "1", item("first last", "d", "t", "已签收")) + Gbk("<!-- 无 -->");
    const QueryOutcome row = ReadDetailPage(page, kMorning, kMorning);
    EXPECT_EQ(ToUtf8(row.status), "无");
    EXPECT_EQ(ToUtf8(row.company), "无");
}

TEST(ReadDetailPage, EmptyPageGivesTwoBlanksAndInTransit) {
    const QueryOutcome row = ReadDetailPage("", kMorning, kMorning);
    EXPECT_EQ(row.company, "");
    EXPECT_EQ(row.lastUpdate, "  ");
    EXPECT_EQ(ToUtf8(row.status), "运输途中");
}

TEST(ReadDetailPage, TakesTheTimeOfDayAtTheStartAndTheDateAtTheWrite) {
    const LocalTime started{2015, 3, 7, 23, 59, 58};
    const LocalTime written{2015, 3, 8, 0, 0, 1};
    EXPECT_EQ(ReadDetailPage("", started, written).queryTime, "2015-03-08 23:59:58");
    const LocalTime early{2015, 1, 2, 0, 4, 9};
    EXPECT_EQ(ReadDetailPage("", early, early).queryTime, "2015-01-02 00:04:09");
}

} // namespace
} // namespace tolvane
