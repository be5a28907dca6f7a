#include "query/page_search.h"

namespace tolvane {
namespace {

bool isAscii(char c) {
    return static_cast<unsigned char>(c) < 0x80;
}

// The search rules step two bytes over any byte from 0x80 up that has a byte after it.
std::size_t charLength(std::string_view text, std::size_t i) {
    return !isAscii(text[i]) && i + 1 < text.size() ? 2 : 1;
}

// A byte below 0x80 cannot start a double-byte character, so the byte after it
// starts one when it is below 0x80 itself; walk forward from the nearest such pair.
bool isCharStart(std::string_view text, std::size_t i) {
    std::size_t p = i;
    while (p > 0 && !(isAscii(text[p]) && isAscii(text[p - 1])))
        --p;
    while (p < i)
        p += charLength(text, p);
    return p == i;
}

} // namespace

std::size_t findAligned(std::string_view text, std::string_view what, std::size_t from) {
    if (what.empty())
        return from < text.size() ? from : std::string_view::npos;
    std::size_t i = text.find(what, from);
    while (i != std::string_view::npos && !isCharStart(text, i))
        i = text.find(what, i + 1);
    return i;
}

bool containsAligned(std::string_view text, std::string_view what) {
    return findAligned(text, what) != std::string_view::npos;
}

Text betweenAligned(std::string_view text, std::string_view left, std::string_view right) {
    const std::size_t p = findAligned(text, left);
    if (p == std::string_view::npos)
        return {};
    const std::size_t q = p + left.size();
    const std::size_t r = findAligned(text, right, q);
    if (r == std::string_view::npos)
        return {};
    return Text(text.substr(q, r - q));
}

} // namespace tolvane
