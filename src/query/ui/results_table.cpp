#include "query/ui/results_table.h"

#include "query/ui/qt_text.h"
#include "query/ui/ui_thread.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>

#include <algorithm>
#include <limits>

namespace tolvane {

namespace {

struct ColumnInfo {
    const char* title; // UTF-8
    int width;
};

constexpr std::array<ColumnInfo, ResultsTable::ColumnCount> Columns{{
    {"序号", 40},
    {"查询时间", 150},
    {"快递单号", 130},
    {"快递公司", 70},
    {"最后更新（双击查询详细物流信息）", 390},
    {"最后状态", 70},
    {"备注", 70},
}};

bool IsColumn(int column) {
    return column >= 0 && column < ResultsTable::ColumnCount;
}

} // namespace

ResultsTable::ResultsTable(QObject* parent) : QAbstractTableModel(parent) {}

Text ResultsTable::ColumnTitle(int column) {
    static const std::array<Text, ColumnCount> titles = [] {
        std::array<Text, ColumnCount> gbk;
        for (int c = 0; c < ColumnCount; ++c)
            gbk[static_cast<size_t>(c)] = Gbk(Columns[static_cast<size_t>(c)].title);
        return gbk;
    }();
    return IsColumn(column) ? titles[static_cast<size_t>(column)] : Text();
}

int ResultsTable::ColumnWidth(int column) {
    return IsColumn(column) ? Columns[static_cast<size_t>(column)].width : 0;
}

int ResultsTable::insertRow() {
    return appendRows(std::vector<Row>(1));
}

int ResultsTable::appendRows(std::vector<Row> rows) {
    int first = 0;
    RunOnUiThread([&] {
        first = static_cast<int>(rows_.size());
        if (rows.empty())
            return;
        const size_t room = static_cast<size_t>(std::numeric_limits<int>::max()) - rows_.size();
        if (rows.size() > room)
            rows.resize(room);
        beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
        rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()),
                     std::make_move_iterator(rows.end()));
        endInsertRows();
    });
    return first;
}

void ResultsTable::setCellText(int row, int column, const Text& text) {
    RunOnUiThread([&] {
        if (row < 0 || static_cast<size_t>(row) >= rows_.size() || !IsColumn(column))
            return;
        rows_[static_cast<size_t>(row)][static_cast<size_t>(column)] = text;
        const QModelIndex cell = index(row, column);
        emit dataChanged(cell, cell, {Qt::DisplayRole});
    });
}

Text ResultsTable::cellText(int row, int column) const {
    Text text;
    RunOnUiThread([&] {
        if (row >= 0 && static_cast<size_t>(row) < rows_.size() && IsColumn(column))
            text = rows_[static_cast<size_t>(row)][static_cast<size_t>(column)];
    });
    return text;
}

std::vector<Text> ResultsTable::columnTexts(int column) const {
    std::vector<Text> texts;
    RunOnUiThread([&] {
        if (!IsColumn(column))
            return;
        texts.reserve(rows_.size());
        for (const Row& row : rows_)
            texts.push_back(row[static_cast<size_t>(column)]);
    });
    return texts;
}

void ResultsTable::deleteAllRows() {
    RunOnUiThread([&] {
        if (rows_.empty())
            return;
        beginResetModel();
        rows_.clear();
        rows_.shrink_to_fit();
        endResetModel();
    });
}

int ResultsTable::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    int count = 0;
    RunOnUiThread([&] { count = static_cast<int>(rows_.size()); });
    return count;
}

int ResultsTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

int ResultsTable::selectedRow() const {
    int selected = -1;
    RunOnUiThread([&] {
        if (!view_ || view_->selectionModel() == nullptr)
            return;
        for (const QModelIndex& cell : view_->selectionModel()->selectedIndexes()) {
            if (selected < 0 || cell.row() < selected)
                selected = cell.row();
        }
    });
    return selected;
}

void ResultsTable::setEnabled(bool enabled) {
    RunOnUiThread([&] {
        if (view_)
            view_->setEnabled(enabled);
    });
}

void ResultsTable::attachView(QAbstractItemView* view) {
    view_ = view;
}

void ResultsTable::setCellColours(CellColours colours) {
    RunOnUiThread([&] { colours_ = std::move(colours); });
}

void ResultsTable::coloursChanged() {
    RunOnUiThread([&] {
        if (rows_.empty())
            return;
        emit dataChanged(index(0, 0), index(static_cast<int>(rows_.size()) - 1, ColumnCount - 1),
                         {Qt::ForegroundRole, Qt::BackgroundRole});
    });
}

QVariant ResultsTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size()) ||
        !IsColumn(index.column()))
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return ToQString(
            rows_[static_cast<size_t>(index.row())][static_cast<size_t>(index.column())]);
    case Qt::ForegroundRole:
    case Qt::BackgroundRole:
        return colours_ ? colours_(index.row(), index.column(), role) : QVariant();
    default:
        return {};
    }
}

QVariant ResultsTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || !IsColumn(section))
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(Columns[static_cast<size_t>(section)].title);
    return {};
}

Qt::ItemFlags ResultsTable::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void NumberSlotArray::replace(std::vector<Text> numbers) {
    std::lock_guard lock(mutex_);
    numbers_ = std::move(numbers);
}

int NumberSlotArray::count() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(numbers_.size());
}

Text NumberSlotArray::at(int slot) const {
    std::lock_guard lock(mutex_);
    if (slot < 1 || static_cast<size_t>(slot) > numbers_.size())
        return {};
    return numbers_[static_cast<size_t>(slot) - 1];
}

} // namespace tolvane
