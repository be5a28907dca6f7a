// Status row colouring of the results list: ColourByStatus (run by every write of
// `编辑框2`) gives every cell of a signed-for, out-for-delivery or in-transit row
// its status colour; SetCellColour and ClearRowColours keep RowColourRules. The
// view draws the rules through the model's foreground and background roles.
#pragma once

#include "keeping/ui/row_colour_rules.h"
#include "query/ui/results_table.h"

#include <QObject>
#include <QPointer>

class QAbstractItemView;

namespace tolvane {

class StatusColouring final : public QObject {
    Q_OBJECT
public:
    static constexpr ColourRef Grey = 0x808080;   // 已签收
    static constexpr ColourRef Purple = 0x800080; // 派件中
    static constexpr ColourRef Green = 0x008000;  // 运输途中

    // Serves the table's colours until it is destroyed; `view` gives the list's own colours.
    StatusColouring(ResultsTable* table, QAbstractItemView* view, QObject* parent);

    // Three passes, one repaint each.
    void ColourByStatus();
    void SetCellColour(int row, int column, ColourRef text, ColourRef background);
    void ClearRowColours();

    // What a cell is drawn with: its rule; black once colouring has begun; else nothing.
    std::optional<ColourRule> cellColours(int row, int column) const;
    size_t ruleCount() const { return rules_.size(); }

    static QColor ToQColor(ColourRef colour);

private:
    void setRule(int row, int column, ColourRule colours);
    ColourRule listOwnColours() const;
    QVariant roleColour(int row, int column, int role) const;

    QPointer<ResultsTable> table_;
    QPointer<QAbstractItemView> view_;
    RowColourRules rules_;
    bool installed_ = false; // false until the first rule: the list draws its own colours
};

} // namespace tolvane
