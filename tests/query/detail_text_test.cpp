// The detail copy's text: header, event blocks in page order, and the silent
// end on the service's "无" page.
#include "query/detail_text.h"

#include "query/query_number.h"
#include "support/sim_process.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tolvane {
namespace {

const LocalTime morning{2015, 3, 7, 9, 5, 7};

Text eventItem(const Text& date, const Text& time, const Text& description) {
    return "<li><dl class=\"col1\"><dt>" + date + "</dt><dd>" + time +
           "</dd></dl><span class=\"col2\"><span class=\"line1\"></span><span "
           "class=\"line2\"></span><span class=\"point\"></span></span><span class=\"col3\">" +
           description + "</span></li>";
}

TEST(DetailTextTest, HeaderThenOneBlockPerEventInPageOrder) {
    const Text page = "<ul>" + eventItem("2015-03-07", "09:01", Gbk("派件中")) +
                      eventItem("2015-03-06", "20:15", Gbk("到达【上海】")) +
                      eventItem("2015-03-05", "18:00", Gbk("已揽收")) + "</ul>";
    const auto text = DetailText(page, "123456", Gbk("中通快递"), morning);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text,
              Gbk("快递单号：123456   快递公司：中通快递   查询时间：2015-03-07 09:05:07\r\n\r\n"
                  "2015-03-07 09:01\r\n    派件中\r\n\r\n"
                  "2015-03-06 20:15\r\n    到达【上海】\r\n\r\n"
                  "2015-03-05 18:00\r\n    已揽收\r\n\r\n"));
}

TEST(DetailTextTest, PagesWithoutEventsGiveTheHeaderAlone) {
    const Text header = Gbk("快递单号：   快递公司：   查询时间：2015-03-07 09:05:07\r\n\r\n");
    for (const Text& page : {Text{}, Text{"<html><body>nothing here</body></html>"}}) {
        const auto text = DetailText(page, "", "", morning);
        ASSERT_TRUE(text);
        EXPECT_EQ(*text, header);
    }
}

TEST(DetailTextTest, NoInformationAnywhereOnThePageEndsSilently) {
    const Text page = eventItem("2015-03-07", "09:01", Gbk("派件中")) + Gbk("<p>暂无记录</p>");
    EXPECT_FALSE(DetailText(page, "1", "c", morning));
}

TEST(DetailTextTest, GroupsAreTakenRawAndEventsMatchCaseInsensitive) {
    Text item = eventItem(" 2015-03-07", "<i>09:01</i>", Gbk("<b>上海</b>&amp;浦东 "));
    const std::size_t at = item.find("class=\"col1\"");
    item.replace(at, 5, "CLASS");
    const auto text = DetailText(item, "1", "c", morning);
    ASSERT_TRUE(text);
    const Text expectedBlock = Gbk(" 2015-03-07 <i>09:01</i>\r\n    <b>上海</b>&amp;浦东 \r\n\r\n");
    EXPECT_EQ(text->substr(text->size() - expectedBlock.size()), expectedBlock);
}

TEST(DetailTextTest, TenThousandEventsAllArrive) {
    Text page;
    for (int i = 0; i < 10000; ++i)
        page += eventItem("d", std::to_string(i), "e");
    const auto text = DetailText(page, "1", "c", morning);
    ASSERT_TRUE(text);
    int blocks = 0;
    for (std::size_t at = text->find("\r\n    e\r\n\r\n"); at != Text::npos;
         at = text->find("\r\n    e\r\n\r\n", at + 1))
        ++blocks;
    EXPECT_EQ(blocks, 10000);
    EXPECT_LT(text->find("d 0\r\n"), text->find("d 1\r\n"));
    EXPECT_NE(text->find("d 9999\r\n    e\r\n\r\n"), Text::npos);
}

TEST(DetailTextTest, ConfirmationNamesTheNumber) {
    EXPECT_EQ(DetailCopiedText("123"), Gbk("快递单号：123 的物流信息已为您复制！"));
    EXPECT_EQ(DetailCopiedText(""), Gbk("快递单号： 的物流信息已为您复制！"));
}

class DetailTextSimTest : public testing::Test {
protected:
    static void SetUpTestSuite() { sim_ = std::make_unique<test::SimProcess>(); }
    static void TearDownTestSuite() { sim_.reset(); }

    static std::optional<Text> detailOf(const Text& number) {
        return DetailText(FetchDetailPage(number, test::SimHosts(*sim_)), number, "c", morning);
    }

    static std::unique_ptr<test::SimProcess> sim_;
};

std::unique_ptr<test::SimProcess> DetailTextSimTest::sim_;

TEST_F(DetailTextSimTest, ServicePageWithThreeEvents) {
    const auto text = detailOf("N3");
    ASSERT_TRUE(text);
    const std::vector<Text> lines = Split(*text, "\r\n");
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[0] + "\r\n", Split(DetailHeader("N3", "c", morning), "\r\n")[0] + "\r\n");
    const char* const times[] = {"09:05", "09:42", "10:19"};
    for (int k = 0; k < 3; ++k) {
        const Text& when = lines[2 + 3 * k];
        EXPECT_EQ(when.substr(0, 8), "2015-03-") << when;
        EXPECT_EQ(when.substr(10), std::string(" ") + times[k]) << when;
        EXPECT_EQ(lines[3 + 3 * k],
                  "    " + Gbk("【中转站】 快件经过 第" + std::to_string(k + 1) + "站 中转"));
        EXPECT_EQ(lines[4 + 3 * k], "");
    }
}

TEST_F(DetailTextSimTest, ServicePagesWithoutEventsOrWithoutInformation) {
    const Text header = DetailHeader("N0", "c", morning);
    EXPECT_EQ(detailOf("N0"), header);
    EXPECT_EQ(detailOf("?"), DetailHeader("?", "c", morning)); // unknown number: empty page
    EXPECT_FALSE(detailOf("W100"));
}

} // namespace
} // namespace tolvane
