// The searches find candidates with byte searches; they must decide exactly as
// stepping character by character from the start position does.
#include "web/text.h"

#include <gtest/gtest.h>

#include <random>

namespace tolvane {
namespace {

constexpr size_t npos = std::string_view::npos;

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool referenceMatchesAt(std::string_view text, size_t i, std::string_view what, bool ignoreCase) {
    if (text.size() - i < what.size())
        return false;
    for (size_t k = 0; k < what.size(); ++k) {
        const char a = text[i + k];
        const char b = what[k];
        if (ignoreCase ? lowerAscii(a) != lowerAscii(b) : a != b)
            return false;
    }
    return true;
}

size_t referenceStep(std::string_view text, size_t i) {
    return static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size() ? 2 : 1;
}

// The plain rule: try every character start, stepping from the given start.
int referenceFind(std::string_view text, std::string_view what, int start, bool ignoreCase) {
    const size_t from = start <= 1 ? 0 : static_cast<size_t>(start) - 1;
    for (size_t i = from; i < text.size(); i += referenceStep(text, i))
        if (referenceMatchesAt(text, i, what, ignoreCase))
            return static_cast<int>(i) + 1;
    return -1;
}

int referenceFindLast(std::string_view text, std::string_view what, bool ignoreCase) {
    int last = -1;
    for (size_t i = 0; i < text.size(); i += referenceStep(text, i))
        if (referenceMatchesAt(text, i, what, ignoreCase))
            last = static_cast<int>(i) + 1;
    return last;
}

// Markers here never hold the quote token, so they are taken literally.
Text referenceBetween(std::string_view text, std::string_view left, std::string_view right,
                      int start, bool ignoreCase) {
    const int p = referenceFind(text, left, start, ignoreCase);
    if (p == -1)
        return {};
    const int q = p + static_cast<int>(left.size());
    const int r = referenceFind(text, right, q, ignoreCase);
    if (r == -1)
        return {};
    return Text(text.substr(static_cast<size_t>(q) - 1, static_cast<size_t>(r - q)));
}

Text referenceReplace(std::string_view text, std::string_view what, std::string_view with,
                      bool ignoreCase) {
    if (what.empty())
        return Text(text);
    Text out;
    size_t done = 0;
    for (int at = referenceFind(text, what, 1, ignoreCase); at != -1;
         at = referenceFind(text, what, static_cast<int>(done) + 1, ignoreCase)) {
        out.append(text.substr(done, static_cast<size_t>(at) - 1 - done));
        out.append(with);
        done = static_cast<size_t>(at) - 1 + what.size();
    }
    out.append(text.substr(done));
    return out;
}

TEST(TextSearchRule, NeverMatchesFromASecondByte) {
    struct Case {
        const char* name;
        Text text;
        Text what;
        int start;
        int find;
        int findLast;
    };
    const std::vector<Case> cases = {
        // 喝 is B5 C8 and 若 is C8 F4: "\xC8\xF4" would match inside 喝 without the rule.
        {"inside a character", "a\xB5\xC8\xF4z", "\xC8\xF4", 0, -1, -1},
        {"inside a character, Chinese", Gbk("蚕签"), Gbk("签收"), 0, -1, -1},
        // 0x81 0x40 is one character, so "@" is not found at its second byte.
        {"ASCII trail byte", "\x81@@", "@", 0, 3, 3},
        {"trail byte ]", "\xB0]\xB0]", "]", 0, -1, -1},
        // Stepping from a second byte takes it for a character start.
        {"start inside a character", "\xB0]\xB0]", "]", 2, 2, -1},
        {"start inside a character shifts the steps", "\xB0\xB0\xB0]x]", "]", 2, 4, 6},
        {"lone lead byte at the end", "ab\xB0", "\xB0", 0, 3, 3},
        {"lead byte at the end after a pair", "\xB0\xB0\xB0", "\xB0", 0, 1, 3},
        {"long run of lead bytes", Text(1000, '\xC8') + "\xF4", "\xC8\xF4", 0, -1, -1},
        {"long run, in step", Text(1001, '\xC8') + "\xF4", "\xC8\xF4", 0, 1001, 1001},
        {"run after an ASCII byte", Text("x").append(999, '\xC8').append("\xF4"), "\xC8\xF4", 0,
         1000, 1000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Find(c.text, c.what, c.start), c.find) << c.name;
        EXPECT_EQ(FindLast(c.text, c.what), c.findLast) << c.name;
    }
    EXPECT_FALSE(Contains(Gbk("蚕签"), Gbk("签收")));
    EXPECT_EQ(TextBetween(Gbk("x【中通】速运】"), Gbk("【"), Gbk("】")), Gbk("中通"));
}

TEST(TextSearchRule, AgreesWithSteppingOnRandomText) {
    // Few distinct bytes, many of them lead bytes, and ASCII bytes that also serve
    // as second bytes, so misaligned candidates are common.
    const char alphabet[] = {'a', 'A', '<', '"', ']', '@', '\x81', '\xB5', '\xC8', '\xF4', '\x80'};
    std::mt19937 random(7);
    auto byte = [&] { return alphabet[random() % sizeof alphabet]; };
    auto randomText = [&](size_t length) {
        Text text;
        for (size_t k = 0; k < length; ++k)
            text += byte();
        return text;
    };
    // Whole characters mostly, now and then loose bytes such as a lone lead byte.
    const char* const characters[] = {"a", "A", "<", "\"", "]", "\x81@", "\xB5\xC8", "\xC8\xF4"};
    auto randomMarker = [&] {
        if (random() % 5 == 0)
            return randomText(1 + random() % 3);
        Text marker = characters[random() % std::size(characters)];
        if (random() % 2)
            marker += characters[random() % std::size(characters)];
        return marker;
    };
    for (int round = 0; round < 30000; ++round) {
        Text text = randomText(random() % 40);
        if (random() % 4 == 0)
            text += '\xB5';
        const Text left = randomMarker();
        const Text right = randomMarker();
        const int start = static_cast<int>(random() % (text.size() + 3)) - 1;
        const bool ignoreCase = random() % 3 == 0;
        const auto context = [&] {
            return testing::PrintToString(text) + " " + testing::PrintToString(left) + " " +
                   testing::PrintToString(right) + " start " + std::to_string(start) +
                   (ignoreCase ? " ignoring case" : "");
        };
        ASSERT_EQ(Find(text, left, start, ignoreCase), referenceFind(text, left, start, ignoreCase))
            << context();
        ASSERT_EQ(FindLast(text, left, ignoreCase), referenceFindLast(text, left, ignoreCase))
            << context();
        ASSERT_EQ(TextBetween(text, left, right, start, ignoreCase),
                  referenceBetween(text, left, right, start, ignoreCase))
            << context();
        ASSERT_EQ(Replace(text, left, "-", ignoreCase),
                  referenceReplace(text, left, "-", ignoreCase))
            << context();
    }
    // An empty marker matches at every character start.
    for (int round = 0; round < 2000; ++round) {
        const Text text = randomText(random() % 12);
        ASSERT_EQ(FindLast(text, ""), referenceFindLast(text, "", false))
            << testing::PrintToString(text);
    }
}

} // namespace
} // namespace tolvane
