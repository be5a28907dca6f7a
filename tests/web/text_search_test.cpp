// The fast page searches must decide exactly as Find and TextBetween do.
#include "query/page_search.h"

#include <gtest/gtest.h>

#include <random>

namespace tolvane {
namespace {

int asPosition(std::size_t index) {
    return index == std::string_view::npos ? -1 : static_cast<int>(index) + 1;
}

TEST(PageSearch, NeverMatchesFromASecondByte) {
    // 喝 is B5 C8 and 若 is C8 F4: "\xC8" would match inside 喝 without the rule.
    const Text text = "a\xB5\xC8\xF4z";
    EXPECT_EQ(findAligned(text, "\xC8\xF4"), std::string_view::npos);
    EXPECT_FALSE(containsAligned(Gbk("蚕签"), Gbk("签收")));
    // An ASCII trail byte: 0x81 0x40 is one character, so "@" is not found there.
    EXPECT_EQ(findAligned("\x81@@", "@"), 2u);
    EXPECT_EQ(betweenAligned(Gbk("x【中通】速运】"), Gbk("【"), Gbk("】")), Gbk("中通"));
}

TEST(PageSearch, AgreesWithTheTextRulesOnRandomText) {
    // Few distinct bytes, many of them lead bytes, so misaligned candidates are common.
    const char alphabet[] = {'a', '<', '"', '\x81', '\xB5', '\xC8', '\xF4', '@', '\x80'};
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> pick(0, sizeof alphabet - 1);
    auto randomText = [&](std::size_t length) {
        Text text;
        for (std::size_t k = 0; k < length; ++k)
            text += alphabet[pick(random)];
        return text;
    };
    // Markers are whole characters, as every marker of the query is.
    const char* const characters[] = {"a", "<", "\"", "@", "\x81@", "\xB5\xC8", "\xC8\xF4"};
    auto randomMarker = [&] {
        Text marker = characters[random() % 7];
        if (random() % 2)
            marker += characters[random() % 7];
        return marker;
    };
    for (int round = 0; round < 20000; ++round) {
        const Text text = randomText(random() % 40);
        const Text left = randomMarker();
        const Text right = randomMarker();
        ASSERT_EQ(asPosition(findAligned(text, left)), Find(text, left))
            << testing::PrintToString(text) << " " << testing::PrintToString(left);
        ASSERT_EQ(betweenAligned(text, left, right), TextBetween(text, left, right))
            << testing::PrintToString(text) << " " << testing::PrintToString(left) << " "
            << testing::PrintToString(right);
    }
}

} // namespace
} // namespace tolvane
