// RegexObject: matches and groups by 1-based index, code page 936 in and out,
// silent failures, and pages large enough to break a recursive matcher.
#include "web/regex_object.h"
#include "web/text.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

const char* const eventPattern =
    "class=#引号col1#引号><dt>(.*?)</dt><dd>(.*?)</dd></dl><span class=#引号col2#引号><span "
    "class=#引号line1#引号></span><span class=#引号line2#引号></span><span "
    "class=#引号point#引号></span></span><span class=#引号col3#引号>(.*?)</span>";

Text eventItem(const Text& date, const Text& time, const Text& description) {
    return "<li><dl class=\"col1\"><dt>" + date + "</dt><dd>" + time +
           "</dd></dl><span class=\"col2\"><span class=\"line1\"></span><span "
           "class=\"line2\"></span><span class=\"point\"></span></span><span class=\"col3\">" +
           description + "</span></li>";
}

bool createEventSearch(RegexObject& regex, const Text& page) {
    return regex.Create(Gbk(eventPattern), page, false, false, true, true);
}

TEST(RegexObjectTest, ReadsBeforeCreateAreEmpty) {
    RegexObject regex;
    int position = 7;
    EXPECT_EQ(regex.MatchCount(), 0);
    EXPECT_EQ(regex.SubMatchCount(), 0);
    EXPECT_EQ(regex.GetPattern(), "");
    EXPECT_EQ(regex.MatchText(1, &position), "");
    EXPECT_EQ(position, -2);
    EXPECT_EQ(regex.SubMatchText(1, 1), "");
    EXPECT_EQ(regex.ReplaceText("x"), "");
}

TEST(RegexObjectTest, SubjectWithoutMatchIsStillASuccess) {
    RegexObject regex;
    EXPECT_TRUE(regex.Create("(a)(b)", "xyz"));
    EXPECT_EQ(regex.MatchCount(), 0);
    EXPECT_EQ(regex.SubMatchCount(), 0);
    EXPECT_EQ(regex.MatchText(1), "");
}

TEST(RegexObjectTest, GroupsAreAddressedFromOneAndOutOfRangeReadsAreEmpty) {
    RegexObject regex;
    ASSERT_TRUE(regex.Create("(\\w)(\\d)(\\w+)", "a1bc;d2ef"));
    ASSERT_EQ(regex.MatchCount(), 2);
    EXPECT_EQ(regex.SubMatchCount(), 3);
    EXPECT_EQ(regex.MatchText(2), "d2ef");
    EXPECT_EQ(regex.SubMatchText(2, 3), "ef");
    EXPECT_EQ(regex.SubMatchText(1, 1), "a");

    struct OutOfRange {
        int match;
        int group;
    };
    for (const auto [match, group] : {OutOfRange{3, 1}, OutOfRange{0, 1}, OutOfRange{-1, 1},
                                      OutOfRange{1, 4}, OutOfRange{1, 0}, OutOfRange{1, -1}}) {
        int position = 0;
        EXPECT_EQ(regex.SubMatchText(match, group, &position), "") << match << "," << group;
        EXPECT_EQ(position, -2) << match << "," << group;
    }
}

TEST(RegexObjectTest, GroupThatTookNoPartIsEmpty) {
    RegexObject regex;
    ASSERT_TRUE(regex.Create("(a)|(b)", "b"));
    ASSERT_EQ(regex.MatchCount(), 1);
    EXPECT_EQ(regex.SubMatchText(1, 1), "");
    EXPECT_EQ(regex.SubMatchText(1, 2), "b");
}

TEST(RegexObjectTest, OptionsFollowTheirDefaults) {
    struct Case {
        const char* name;
        const char* pattern;
        const char* subject;
        bool caseSensitive;
        bool multiline;
        bool global;
        int count;
    };
    const Case cases[] = {
        {"case ignored by default", "abc", "xABCx", false, true, true, 1},
        {"case kept when asked", "abc", "xABCx", true, true, true, 0},
        {"global by default", "a", "aXaXa", false, true, true, 3},
        {"first match only", "a", "aXaXa", false, true, false, 1},
        {"multi-line by default", "^b", "a\nb", false, true, true, 1},
        {"single-line when asked", "^b", "a\nb", false, false, true, 0},
        {"dot stops at LF", "a.b", "a\nb", false, false, true, 0},
    };
    for (const Case& c : cases) {
        RegexObject regex;
        EXPECT_TRUE(regex.Create(c.pattern, c.subject, c.caseSensitive, c.multiline, c.global))
            << c.name;
        EXPECT_EQ(regex.MatchCount(), c.count) << c.name;
    }
}

TEST(RegexObjectTest, QuoteTokenStandsForADoubleQuoteOnlyWhenAsked) {
    RegexObject regex;
    const Text pattern = Gbk("id=#引号(\\d+)#引号");
    ASSERT_TRUE(regex.Create(pattern, "<a id=\"42\">", false, true, true, true));
    EXPECT_EQ(regex.SubMatchText(1, 1), "42");
    EXPECT_EQ(regex.GetPattern(), "id=\"(\\d+)\"");

    ASSERT_TRUE(regex.Create(pattern, "<a id=\"42\">"));
    EXPECT_EQ(regex.MatchCount(), 0);
    EXPECT_EQ(regex.GetPattern(), pattern);
}

TEST(RegexObjectTest, ChineseComesBackByteForByteWithCodePage936Positions) {
    RegexObject regex;
    const Text subject = Gbk("到达：【上海】，派件：【浦东】");
    ASSERT_TRUE(regex.Create(Gbk("【(.*?)】"), subject));
    ASSERT_EQ(regex.MatchCount(), 2);
    int position = 0;
    EXPECT_EQ(regex.SubMatchText(2, 1, &position), Gbk("浦东"));
    EXPECT_EQ(position, static_cast<int>(Gbk("到达：【上海】，派件：【").size()));
    EXPECT_EQ(regex.MatchText(1, &position), Gbk("【上海】"));
    EXPECT_EQ(position, static_cast<int>(Gbk("到达：").size()));
    EXPECT_EQ(regex.SubMatchText(1, 1, &position), Gbk("上海"));
    EXPECT_EQ(position, static_cast<int>(Gbk("到达：【").size()));
}

TEST(RegexObjectTest, MalformedPatternFailsSilently) {
    RegexObject regex;
    ASSERT_TRUE(regex.Create("(a)", "a"));
    EXPECT_FALSE(regex.Create("(a", "a"));
    EXPECT_EQ(regex.MatchCount(), 0);
    EXPECT_EQ(regex.SubMatchCount(), 0);
    EXPECT_EQ(regex.SubMatchText(1, 1), "");
    EXPECT_EQ(regex.ReplaceText("b"), "");
}

TEST(RegexObjectTest, EmptyMatchesAdvanceOneCharacter) {
    RegexObject regex;
    ASSERT_TRUE(regex.Create("x*", Gbk("a中x")));
    ASSERT_EQ(regex.MatchCount(), 4);
    int position = 0;
    EXPECT_EQ(regex.MatchText(2, &position), "");
    EXPECT_EQ(position, 1);
    EXPECT_EQ(regex.MatchText(3, &position), "x");
    EXPECT_EQ(position, 3);
    EXPECT_EQ(regex.MatchText(4, &position), "");
    EXPECT_EQ(position, 4);
}

TEST(RegexObjectTest, ReplaceTextUsesTheOptionsOfCreate) {
    RegexObject regex;
    ASSERT_TRUE(regex.Create(Gbk("(\\d+)号"), Gbk("1号和22号")));
    EXPECT_EQ(regex.ReplaceText(Gbk("第$1")), Gbk("第1和第22"));
    EXPECT_EQ(regex.ReplaceText("$$"), Gbk("$和$"));

    ASSERT_TRUE(regex.Create("(\\d+)", "1 and 22", false, true, false));
    EXPECT_EQ(regex.ReplaceText("<$1>"), "<1> and 22");

    ASSERT_TRUE(regex.Create("q", "no match here"));
    EXPECT_EQ(regex.ReplaceText("x"), "no match here");
}

TEST(RegexObjectTest, DestroyForgetsEverything) {
    RegexObject regex;
    ASSERT_TRUE(regex.Create("(a)", "a"));
    regex.Destroy();
    EXPECT_EQ(regex.MatchCount(), 0);
    EXPECT_EQ(regex.GetPattern(), "");
    EXPECT_EQ(regex.ReplaceText("b"), "");
}

TEST(RegexObjectTest, EventPatternReadsTagsAndEntitiesRaw) {
    const Text page = "<ul>" + eventItem("2015-03-07", "09:05", Gbk("<b>上海</b> &amp; 浦东")) +
                      eventItem("2015-03-06", "18:00", Gbk("已揽收")) + "</ul>";
    RegexObject regex;
    ASSERT_TRUE(createEventSearch(regex, page));
    ASSERT_EQ(regex.MatchCount(), 2);
    EXPECT_EQ(regex.SubMatchText(1, 3), Gbk("<b>上海</b> &amp; 浦东"));
    EXPECT_EQ(regex.SubMatchText(2, 1), "2015-03-06");
    EXPECT_EQ(regex.SubMatchText(2, 2), "18:00");
}

TEST(RegexObjectTest, FiveMegabytePagesComplete) {
    // Many events on one line, as the service sends them.
    Text manyEvents;
    manyEvents.reserve(6 * 1024 * 1024);
    const Text description = Gbk("快件已到达【上海浦东新区转运中心】，正在分拣中，请耐心等待");
    int events = 0;
    while (manyEvents.size() < 5 * 1024 * 1024) {
        manyEvents += eventItem("2015-03-07", "09:05:07", description);
        ++events;
    }
    RegexObject regex;
    ASSERT_TRUE(createEventSearch(regex, manyEvents));
    EXPECT_EQ(regex.MatchCount(), events);
    EXPECT_EQ(regex.SubMatchText(events, 3), description);

    // One event whose lazy groups have to walk megabytes.
    const Text longDescription(5 * 1024 * 1024, 'x');
    ASSERT_TRUE(createEventSearch(regex, eventItem("d", "t", longDescription)));
    ASSERT_EQ(regex.MatchCount(), 1);
    EXPECT_EQ(regex.SubMatchText(1, 3).size(), longDescription.size());

    // An opened event that never closes: the lazy group runs to the end and gives up.
    ASSERT_TRUE(createEventSearch(regex, "<dl class=\"col1\"><dt>" + longDescription));
    EXPECT_EQ(regex.MatchCount(), 0);
}

} // namespace
} // namespace tolvane
