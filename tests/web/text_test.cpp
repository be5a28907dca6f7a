// The text rules, cutting, URL decoding, conversions and date texts.
#include "web/service_hosts.h"
#include "web/text.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace tolvane {
namespace {

// One double-byte character whose trail byte is the code of "]".
const Text kTrail5D = "\xB0\x5D";

TEST(TextSearch, FindFollowsTheDoubleByteRule) {
    struct Case {
        const char* name;
        Text text;
        Text what;
        int start;
        bool ignoreCase;
        int expected;
    };
    const std::vector<Case> cases = {
        {"plain", "abcabc", "c", 0, false, 3},
        {"from start", "abcabc", "c", 4, false, 6},
        {"negative start means 1", "abc", "a", -5, false, 1},
        {"start past end", "abc", "a", 4, false, -1},
        {"trail byte never starts a match", kTrail5D + "x]", "]", 0, false, 4},
        {"trail byte only", "a" + kTrail5D, "]", 0, false, -1},
        {"double-byte marker", Gbk("x【中通】"), Gbk("中通"), 0, false, 4},
        {"case folded for ASCII only", "xAbC", "abc", 0, true, 2},
        {"case kept by default", "xAbC", "abc", 0, false, -1},
        {"empty what found at start", "abc", "", 0, false, 1},
        {"empty what in empty text", "", "", 0, false, -1},
        {"what longer than text", "ab", "abc", 0, false, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Find(c.text, c.what, c.start, c.ignoreCase), c.expected) << c.name;
    }
}

TEST(TextSearch, FindLastAndReplaceStepOverDoubleByteCharacters) {
    EXPECT_EQ(FindLast("a]b]c", "]"), 4);
    EXPECT_EQ(FindLast("]" + kTrail5D, "]"), 1);
    EXPECT_EQ(FindLast("abc", "x"), -1);
    EXPECT_EQ(FindLast("xABxab", "ab", true), 5);

    EXPECT_EQ(Replace("a]" + kTrail5D + "]", "]", ")"), "a)" + kTrail5D + ")");
    EXPECT_EQ(Replace("aaaa", "aa", "b"), "bb");
    EXPECT_EQ(Replace("xAbab", "ab", "-", true), "x--");
    EXPECT_EQ(Replace("abc", "", "-"), "abc");
}

TEST(TextSearch, TrimRemovesOnlyBlanksAndFullWidthBlanks) {
    const Text wide = "\xA1\xA1";
    EXPECT_EQ(Trim(" " + wide + " a b " + wide + " "), "a b");
    EXPECT_EQ(Trim("\t a\r\n"), "\t a\r\n");
    EXPECT_EQ(TrimStart("  a  "), "a  ");
    EXPECT_EQ(TrimEnd("  a  "), "  a");
    // The last A1 belongs to the character B0 A1, so only the pair before it is no blank.
    EXPECT_EQ(TrimEnd("a\xB0\xA1\xA1"), "a\xB0\xA1\xA1");
    EXPECT_EQ(TrimEnd("a\xB0\xA1" + wide), "a\xB0\xA1");
    EXPECT_EQ(Trim(wide + wide), "");
}

TEST(TextSearch, SplitKeepsMiddleEmptiesAndDropsAnEmptyLastPiece) {
    using Pieces = std::vector<Text>;
    EXPECT_EQ(Split("a\r\n\r\nb\r\n", "\r\n"), (Pieces{"a", "", "b"}));
    EXPECT_EQ(Split("a;b", ";"), (Pieces{"a", "b"}));
    EXPECT_EQ(Split(";a", ";"), (Pieces{"", "a"}));
    EXPECT_EQ(Split(";", ";"), (Pieces{""}));
    EXPECT_EQ(Split("", ";"), Pieces{});
    EXPECT_EQ(Split("abc", ";"), (Pieces{"abc"}));
    EXPECT_EQ(Split(kTrail5D + "]x", "]"), (Pieces{kTrail5D, "x"}));
}

TEST(TextSearch, BytesToTextStopsAtTheFirstZeroByte) {
    EXPECT_EQ(BytesToText(std::string("ab\0cd", 5)), "ab");
    EXPECT_EQ(BytesToText("abc"), "abc");
}

TEST(TextBetweenTest, CutsBetweenTheFirstMarkers) {
    struct Case {
        const char* name;
        Text text;
        Text left;
        Text right;
        int start;
        Text expected;
    };
    const Text quote = QuoteToken();
    const std::vector<Case> cases = {
        {"plain", "<b>x</b><b>y</b>", "<b>", "</b>", 0, "x"},
        {"start applies to the left marker", "<b>x</b><b>y</b>", "<b>", "</b>", 2, "y"},
        {"no left marker", "abc", "<", ">", 0, ""},
        {"no right marker after the left one", ">a<b", "<", ">", 0, ""},
        {"markers next to each other", "a<>b", "<", ">", 0, ""},
        {"empty right marker", "a<b>", "<", "", 0, ""},
        {"empty left marker", "ab>c>", "", ">", 0, "ab"},
        {"quote token", "\"comCode\":\"zhongtong\"", quote + "comCode" + quote + ":" + quote, quote,
         0, "zhongtong"},
        {"quote token and quotes agree", "\"comCode\":\"zhongtong\"", "\"comCode\":\"", "\"", 0,
         "zhongtong"},
        {"right marker not found inside a character", "[" + kTrail5D + "]", "[", "]", 0, kTrail5D},
        {"nothing trimmed", "[ a ]", "[", "]", 0, " a "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextBetween(c.text, c.left, c.right, c.start), c.expected) << c.name;
    }
    EXPECT_EQ(TextBetween("<B>x</b>", "<b>", "</B>", 0, true), "x");
    EXPECT_EQ(QuoteToken(), Gbk("#引号"));
}

TEST(UrlDecodeTest, DecodesEscapesExactlyAndOddOnesByTheirDigits) {
    struct Case {
        Text input;
        Text expected;
    };
    const std::vector<Case> cases = {
        {"%41%42", "AB"},
        {"%4a%4A", "JJ"},
        {"a+b", "a+b"},
        {"ab%", "ab"},     // both digits past the end count 0: a zero byte adds nothing
        {"ab%4", "ab@"},   // 4 * 16 + 0
        {"%zz", "\xDE"},   // (-2 * 16 - 2) mod 256
        {"%zzq", "\xDEq"}, // both positions after "%" are swallowed
        {"%00x", "x"},
        {"%%41", "\xE4"
                 "1"}, // "%4" read as digits -2 and 4
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UrlDecode(c.input), c.expected) << c.input;
    }
    EXPECT_EQ(UrlDecode("%E4%B8%AD", true), "\xD6\xD0");
    EXPECT_EQ(UrlDecode("%E4%B8%AD"), "\xE4\xB8\xAD");
}

TEST(Conversions, GbkLiteralsAndTheirWayBack) {
    EXPECT_EQ(Gbk("中"), "\xD6\xD0");
    EXPECT_EQ(Gbk("€"), "\x80");
    EXPECT_EQ(Gbk("】"), "\xA1\xBF");
    EXPECT_EQ(Gbk("，"), "\xA3\xAC");
    EXPECT_EQ(Gbk("　"), "\xA1\xA1");
    EXPECT_EQ(Gbk("abc 已签收"), "abc \xD2\xD1\xC7\xA9\xCA\xD5");
    EXPECT_EQ(ToUtf8(Gbk("【中通快递】，€ 派件中")), "【中通快递】，€ 派件中");
}

TEST(Conversions, BadInputBecomesOneQuestionMarkPerCharacter) {
    struct Case {
        const char* name;
        Text utf8;
        Text expected;
    };
    const std::vector<Case> cases = {
        {"character GBK lacks",
         "a\xF0\x9F\x98\x80"
         "b",
         "a?b"},
        {"stray continuation byte",
         "a\x80"
         "b",
         "a?b"},
        {"truncated sequence before ASCII",
         "a\xE4\xB8"
         "b",
         "a?b"},
        {"truncated sequence at the end", "a\xE4\xB8", "a?"},
        {"invalid lead byte", "\xFF\xFE", "??"},
        {"valid around invalid", "\xE4\xB8\xAD\xFF\xE4\xB8\xAD", "\xD6\xD0?\xD6\xD0"},
        {"stops at a zero byte", std::string("ab\0\xE4\xB8\xAD", 6), "ab"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToGbk(c.utf8), c.expected) << c.name;
    }
    EXPECT_EQ(ToUtf8("a\xFF"
                     "b"),
              "a?b");
    EXPECT_EQ(ToUtf8("a\x81"), "a?");
}

TEST(Conversions, ConvertCharsetFillsGivenEmptyCharsets) {
    EXPECT_EQ(ConvertCharset("\xE4\xB8\xAD"
                             "a"),
              "\xD6\xD0"
              "a");

    Text from;
    Text to;
    EXPECT_EQ(ConvertCharset("\xE4\xB8\xAD", &from, &to), "\xD6\xD0");
    EXPECT_EQ(from, "UTF-8");
    EXPECT_EQ(to, "GBK");

    Text gbk = "gb2312";
    Text utf8 = "utf-8";
    // A UTF-8 text stream starts with its byte-order mark; startPosition steps over it.
    EXPECT_EQ(ConvertCharset("\xD6\xD0", &gbk, &utf8), "\xEF\xBB\xBF\xE4\xB8\xAD");
    const int afterMark = 3;
    EXPECT_EQ(ConvertCharset("\xD6\xD0", &gbk, &utf8, &afterMark), "\xE4\xB8\xAD");
    EXPECT_EQ(gbk, "gb2312");

    // A leading mark in UTF-8 input is read, not kept; zero bytes are data.
    EXPECT_EQ(ConvertCharset(std::string("\xEF\xBB\xBF"
                                         "a\0b",
                                         6)),
              std::string("a\0b", 3));
    // Characters outside code page 936 do not survive, whatever the target.
    Text fromUtf8 = "UTF-8";
    Text toUtf8 = "UTF-8";
    EXPECT_EQ(ConvertCharset("\xF0\x9F\x98\x80", &fromUtf8, &toUtf8), "\xEF\xBB\xBF?");

    Text unknown = "no-such-charset";
    EXPECT_EQ(ConvertCharset("abc", &unknown), "");
}

TEST(DateTexts, TwoDigitMonthsDaysAndTimes) {
    EXPECT_EQ(DateStamp(LocalTime{2014, 3, 8, 0, 0, 0}), "2014-03-08");
    EXPECT_EQ(DateStamp(LocalTime{2014, 12, 23, 0, 0, 0}), "2014-12-23");
    EXPECT_EQ(DateStamp(LocalTime{2015, 3, 7, 9, 5, 7}), "2015-03-07");
    EXPECT_EQ(TimeOfDayText(LocalTime{2015, 3, 7, 9, 5, 7}), "09:05:07");
    EXPECT_EQ(TimeOfDayText(LocalTime{2015, 3, 7, 23, 59, 0}), "23:59:00");
    EXPECT_EQ(DateStamp().size(), 10u);
}

TEST(ServiceHostsTest, EnvironmentOverridesWhenSetAndNotEmpty) {
    setenv("TOLVANE_DETECT_HOST", "127.0.0.1:8080", 1);
    setenv("TOLVANE_DETAIL_HOST", "", 1);
    const ServiceHosts hosts = ServiceHosts::FromEnvironment();
    unsetenv("TOLVANE_DETECT_HOST");
    unsetenv("TOLVANE_DETAIL_HOST");
    EXPECT_EQ(hosts.detect, "127.0.0.1:8080");
    EXPECT_EQ(hosts.detail, "m.kuaidi100.com");
}

} // namespace
} // namespace tolvane
