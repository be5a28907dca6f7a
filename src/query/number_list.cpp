#include "query/number_list.h"

namespace tolvane {

Text NumberOfLine(const Text& line) {
    const std::vector<Text> pieces = Split(line, "----");
    return pieces.empty() ? Text() : pieces.front();
}

std::vector<Text> NumbersOfList(const Text& list) {
    std::vector<Text> numbers;
    for (const Text& line : Split(list, "\r\n"))
        numbers.push_back(NumberOfLine(line));
    return numbers;
}

} // namespace tolvane
