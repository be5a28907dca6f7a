#include "keeping/ui/status_colouring.h"

#include <QAbstractItemView>
#include <QColor>

#include <array>

namespace tolvane {

namespace {

ColourRef FromQColor(const QColor& colour) {
    return static_cast<ColourRef>(colour.red()) | (static_cast<ColourRef>(colour.green()) << 8) |
           (static_cast<ColourRef>(colour.blue()) << 16);
}

} // namespace

StatusColouring::StatusColouring(ResultsTable* table, QAbstractItemView* view, QObject* parent)
    : QObject(parent), table_(table), view_(view) {
    table->setCellColours(
        [this](int row, int column, int role) { return roleColour(row, column, role); });
    // The table may outlive us (it belongs to the window); stop serving colours then.
    connect(this, &QObject::destroyed, table, [table] { table->setCellColours({}); });
}

QColor StatusColouring::ToQColor(ColourRef colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

ColourRule StatusColouring::listOwnColours() const {
    if (!view_)
        return {0, ClrDefault};
    const QPalette palette = view_->palette();
    return {FromQColor(palette.color(QPalette::Text)), FromQColor(palette.color(QPalette::Base))};
}

void StatusColouring::setRule(int row, int column, ColourRule colours) {
    installed_ = true;
    rules_.set(row, column, colours, listOwnColours());
}

void StatusColouring::SetCellColour(int row, int column, ColourRef text, ColourRef background) {
    setRule(row, column, {text, background});
    if (table_)
        table_->coloursChanged();
}

void StatusColouring::ClearRowColours() {
    if (!installed_)
        return;
    rules_.clear();
    if (table_)
        table_->coloursChanged();
}

void StatusColouring::ColourByStatus() {
    if (!table_)
        return;
    struct Pass {
        Text word;
        ColourRef colour;
    };
    static const std::array<Pass, 3> passes{{
        {Gbk("已签收"), Grey},
        {Gbk("派件中"), Purple},
        {Gbk("运输途中"), Green},
    }};
    const ColourRule own = listOwnColours();
    for (const Pass& pass : passes) {
        // The row count and the statuses are read afresh for each pass, in one call.
        const std::vector<Text> statuses = table_->columnTexts(5);
        const int columns = table_->columnCount();
        bool matched = false;
        for (size_t row = 0; row < statuses.size(); ++row) {
            if (statuses[row] != pass.word)
                continue;
            matched = true;
            for (int column = 0; column < columns; ++column)
                rules_.set(static_cast<int>(row), column, {pass.colour, ClrDefault}, own);
        }
        if (matched) {
            installed_ = true;
            table_->coloursChanged();
        }
    }
}

std::optional<ColourRule> StatusColouring::cellColours(int row, int column) const {
    if (!installed_)
        return std::nullopt;
    if (auto rule = rules_.find(row, column))
        return rule;
    // A cell without a rule is drawn black on the list's background.
    return ColourRule{0, ClrDefault};
}

QVariant StatusColouring::roleColour(int row, int column, int role) const {
    const std::optional<ColourRule> colours = cellColours(row, column);
    if (!colours)
        return {};
    if (role == Qt::ForegroundRole)
        return ToQColor(colours->text);
    if (role == Qt::BackgroundRole && colours->background != ClrDefault)
        return ToQColor(colours->background);
    return {};
}

} // namespace tolvane
