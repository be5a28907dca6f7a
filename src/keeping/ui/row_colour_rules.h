// RowColourRules: at most one text and background colour per cell of the results
// list, found in constant time (a row-indexed array for the table's seven columns). Colours are
// COLORREF values (0x00BBGGRR).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

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
        if (IsDense(row, column)) {
            const auto r = static_cast<size_t>(row);
            const auto c = static_cast<size_t>(column);
            if (listColours) {
                if (r < dense_.size() && dense_[r][c]) {
                    dense_[r][c].reset();
                    --count_;
                }
                return;
            }
            if (r >= dense_.size())
                dense_.resize(r + 1);
            if (!dense_[r][c])
                ++count_;
            dense_[r][c] = colours;
            return;
        }
        if (listColours)
            sparse_.erase(Key(row, column));
        else
            sparse_[Key(row, column)] = colours;
    }

    std::optional<ColourRule> find(int row, int column) const {
        if (IsDense(row, column)) {
            if (static_cast<size_t>(row) >= dense_.size())
                return std::nullopt;
            return dense_[static_cast<size_t>(row)][static_cast<size_t>(column)];
        }
        const auto found = sparse_.find(Key(row, column));
        if (found == sparse_.end())
            return std::nullopt;
        return found->second;
    }

    void clear() {
        dense_.clear();
        sparse_.clear();
        count_ = 0;
    }
    size_t size() const { return count_ + sparse_.size(); }

private:
    // The table's own cells live in a row-indexed array; anything else in a map.
    static constexpr int DenseColumns = 7;
    static constexpr int DenseRows = 1 << 24;
    using RowRules = std::array<std::optional<ColourRule>, DenseColumns>;

    static bool IsDense(int row, int column) {
        return row >= 0 && row < DenseRows && column >= 0 && column < DenseColumns;
    }

    static uint64_t Key(int row, int column) {
        return (static_cast<uint64_t>(static_cast<uint32_t>(row)) << 32) |
               static_cast<uint32_t>(column);
    }

    std::vector<RowRules> dense_;
    size_t count_ = 0;
    std::unordered_map<uint64_t, ColourRule> sparse_;
};

} // namespace tolvane
