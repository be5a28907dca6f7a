// The results table: the one store of result rows (seven GBK texts each), the
// model behind the list view `超级列表框2`, with the list operations every
// feature uses. Any thread may call them; they are carried out on the UI thread.
#pragma once

#include "web/text.h"

#include <QAbstractTableModel>
#include <QPointer>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

class QAbstractItemView;

namespace tolvane {

class ResultsTable final : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int ColumnCount = 7;
    using Row = std::array<Text, ColumnCount>;
    // Colour of a cell for ForegroundRole / BackgroundRole, or an empty QVariant.
    using CellColours = std::function<QVariant(int row, int column, int role)>;

    explicit ResultsTable(QObject* parent = nullptr);

    static Text ColumnTitle(int column); // empty text for a column that does not exist
    static int ColumnWidth(int column);

    // The list operations. "insert row" appends an empty row and returns its index.
    int insertRow();
    // Appends many rows in one UI-thread call; returns the index of the first.
    int appendRows(std::vector<Row> rows);
    void setCellText(int row, int column, const Text& text);
    // A row or column that does not exist (such as -1) reads as empty text.
    Text cellText(int row, int column) const;
    // One column of every row, read in one UI-thread call.
    std::vector<Text> columnTexts(int column) const;
    void deleteAllRows();
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    // The first selected row of the attached view, or -1.
    int selectedRow() const;
    // While disabled the view ignores mouse and keyboard input.
    void setEnabled(bool enabled);

    void attachView(QAbstractItemView* view);
    void setCellColours(CellColours colours);
    // One repaint of every cell's colours.
    void coloursChanged();

    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::vector<Row> rows_;
    QPointer<QAbstractItemView> view_;
    CellColours colours_;
};

// NumberSlots: slot i (from 1) holds the number the worker for row i-1 queries.
// Replaced whole before a run's first worker starts; workers only read it.
class NumberSlotArray final {
public:
    void replace(std::vector<Text> numbers);
    int count() const;
    Text at(int slot) const; // empty text outside 1..count

private:
    mutable std::mutex mutex_;
    std::vector<Text> numbers_;
};

inline NumberSlotArray NumberSlots;
// Query workers started and not yet finished; 0 when no run is active.
inline std::atomic<int32_t> InFlightCount{0};

} // namespace tolvane
