// RowColourRules: at most one text and background colour per cell of the results
// list, found in constant time. Colours are COLORREF values (0x00BBGGRR).
#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>

namespace tolvane {

using ColourRef = uint32_t;
// The list's own background.
inline constexpr ColourRef ClrDefault = 0xFF000000u;

struct ColourRule {
    ColourRef text = 0;
    ColourRef background = ClrDefault;
};

class RowColourRules final {
public:
    // Adds or replaces the cell's rule; colours equal to the list's own remove it.
    void set(int row, int column, ColourRule colours, ColourRule listOwn) {
        const bool listColours =
            colours.text == listOwn.text && colours.background == listOwn.background;
        if (listColours)
            rules_.erase(Key(row, column));
        else
            rules_[Key(row, column)] = colours;
    }

    std::optional<ColourRule> find(int row, int column) const {
        const auto found = rules_.find(Key(row, column));
        if (found == rules_.end())
            return std::nullopt;
        return found->second;
    }

    void clear() { rules_.clear(); }
    void reserve(size_t cells) { rules_.reserve(cells); }
    size_t size() const { return rules_.size(); }

private:
    static uint64_t Key(int row, int column) {
        return (static_cast<uint64_t>(static_cast<uint32_t>(row)) << 32) |
               static_cast<uint32_t>(column);
    }

    std::unordered_map<uint64_t, ColourRule> rules_;
};

} // namespace tolvane
