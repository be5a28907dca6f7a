// Number lists: CR LF lines, "----" comments, nothing trimmed.
#include "query/number_list.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(NumberList, CutsLinesAndComments) {
    struct Case {
        const char* list;
        std::vector<Text> numbers;
    } const cases[] = {
        {"A\r\n\r\nB\r\n", {"A", "", "B"}},
        {"123----abc", {"123"}},
        {"----abc\r\n7", {"", "7"}},
        {"A\r\nB", {"A", "B"}},
        {"A\r\n", {"A"}},
        {"\r\n", {""}},
        {"\r\n\r\n", {"", ""}},
        {"", {}},
        {" 12 3 \r\n", {" 12 3 "}},
        {"1----2----3", {"1"}},
        {"A\nB\r\n", {"A\nB"}}, // a lone LF is no line end in a list
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.list)));
        EXPECT_EQ(NumbersOfList(c.list), c.numbers);
    }
}

TEST(NumberList, NumberOfLine) {
    EXPECT_EQ(NumberOfLine(""), "");
    EXPECT_EQ(NumberOfLine("----"), "");
    EXPECT_EQ(NumberOfLine("12---3"), "12---3");
    EXPECT_EQ(NumberOfLine(Gbk("中通1----备注")), Gbk("中通1"));
}

} // namespace
} // namespace tolvane
