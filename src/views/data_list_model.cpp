#include "views/data_list_model.h"

#include <QCoreApplication>

#include <algorithm>
#include <numeric>

namespace qa::views {

namespace {

const std::string kNoText;

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

DataListModel::DataListModel(QObject* parent) : QAbstractTableModel(parent) {}
DataListModel::~DataListModel() = default;

int DataListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) {
        return 0;
    }
    return static_cast<int>(source_ ? keys_.size() : cells_.size());
}

int DataListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant DataListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !ValidRow(index.row()) || index.column() >= columnCount()) {
        return {};
    }
    const int row = index.row();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return FromUtf8(Cell(row, column));
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Alignment(column) | Qt::AlignVCenter);
    case Qt::BackgroundRole:
    case Qt::ForegroundRole: {
        // The most specific level that sets a colour wins: cell, row, column.
        const bool back = role == Qt::BackgroundRole;
        if (const ListCellRecord* cell = CellRecord(row, column)) {
            const QColor& c = back ? cell->background : cell->text;
            if (c.isValid()) {
                return c;
            }
        }
        if (const ListItemRecord* record = RowRecord(row)) {
            const QColor& c = back ? record->background : record->text;
            if (c.isValid()) {
                return c;
            }
        }
        if (back && column == 0 && source_) {
            const QColor& c = SourceRow(row).firstCellBackground;
            if (c.isValid()) {
                return c;
            }
        }
        if (const ListColumnRecord* record = ColumnRecord(column)) {
            const QColor& c = back ? record->background : record->text;
            if (c.isValid()) {
                return c;
            }
        }
        return {};
    }
    default:
        return {};
    }
}

QVariant DataListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) {
        // Headings are kept as the catalogue's keys and shown in the current language.
        return QCoreApplication::translate("qa::ListHeading",
                                           Heading(section).toUtf8().constData());
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Alignment(section) | Qt::AlignVCenter);
    }
    return {};
}

int DataListModel::InsertColumn(int column, const QString& heading, Qt::Alignment alignment) {
    Materialise();
    column = std::clamp(column, 0, columnCount());
    beginInsertColumns({}, column, column);
    columns_.insert(columns_.begin() + column, Column{heading, alignment, nullptr});
    for (auto& record : records_) {
        if (record && static_cast<int>(record->cells.size()) > column) {
            record->cells.insert(record->cells.begin() + column, ListCellRecord{});
        }
    }
    for (auto& row : cells_) {
        if (static_cast<int>(row.size()) > column) {
            row.insert(row.begin() + column, std::string());
        }
    }
    endInsertColumns();
    return column;
}

bool DataListModel::RemoveColumn(int column) {
    if (column < 0 || column >= columnCount()) {
        return false;
    }
    Materialise();
    beginRemoveColumns({}, column, column);
    columns_.erase(columns_.begin() + column);
    for (auto& record : records_) {
        if (record && static_cast<int>(record->cells.size()) > column) {
            record->cells.erase(record->cells.begin() + column);
        }
    }
    for (auto& row : cells_) {
        if (static_cast<int>(row.size()) > column) {
            row.erase(row.begin() + column);
        }
    }
    endRemoveColumns();
    return true;
}

QString DataListModel::Heading(int column) const {
    return column >= 0 && column < columnCount()
               ? columns_[static_cast<std::size_t>(column)].heading
               : QString();
}

Qt::Alignment DataListModel::Alignment(int column) const {
    return column >= 0 && column < columnCount()
               ? columns_[static_cast<std::size_t>(column)].alignment
               : Qt::Alignment(Qt::AlignLeft);
}

int DataListModel::InsertRow(int row, std::string firstCell, bool withRecord) {
    Materialise();
    row = std::clamp(row, 0, rowCount());
    beginInsertRows({}, row, row);
    std::vector<std::string> cells;
    cells.push_back(std::move(firstCell));
    cells_.insert(cells_.begin() + row, std::move(cells));
    records_.insert(records_.begin() + row,
                    withRecord ? std::make_unique<ListItemRecord>() : nullptr);
    endInsertRows();
    return row;
}

void DataListModel::SetRows(std::vector<std::vector<std::string>>&& rows) {
    beginResetModel();
    source_.reset();
    keys_.clear();
    shown_.clear();
    older_.clear();
    cells_ = std::move(rows);
    records_.clear();
    records_.resize(cells_.size());
    endResetModel();
}

void DataListModel::SetRowSource(std::shared_ptr<ListRowSource> source, int rows) {
    beginResetModel();
    cells_.clear();
    shown_.clear();
    older_.clear();
    source_ = std::move(source);
    keys_.resize(source_ ? static_cast<std::size_t>(std::max(rows, 0)) : 0);
    std::iota(keys_.begin(), keys_.end(), 0);
    records_.clear();
    records_.resize(keys_.size());
    endResetModel();
}

void DataListModel::ClearRows() {
    beginResetModel();
    source_.reset();
    keys_.clear();
    shown_.clear();
    older_.clear();
    cells_.clear();
    records_.clear();
    endResetModel();
}

void DataListModel::RefreshSourceRows() {
    if (!source_) {
        return;
    }
    shown_.clear();
    older_.clear();
    if (rowCount() > 0 && columnCount() > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }
}

const DataListModel::SourcedRow& DataListModel::SourceRow(int row) const {
    const int key = keys_[static_cast<std::size_t>(row)];
    if (auto found = shown_.find(key); found != shown_.end()) {
        return found->second;
    }
    if (shown_.size() >= kCachedRows) {
        // The older half goes; what was shown last moves there, its texts in place.
        older_ = std::move(shown_);
        shown_.clear();
    }
    if (auto found = older_.find(key); found != older_.end()) {
        return shown_.emplace(key, found->second).first->second;
    }
    SourcedRow fetched;
    fetched.cells = source_->RowCells(key);
    fetched.firstCellBackground = source_->FirstCellBackground(key);
    return shown_.emplace(key, std::move(fetched)).first->second;
}

void DataListModel::Materialise() {
    if (!source_) {
        return;
    }
    std::vector<std::vector<std::string>> cells(keys_.size());
    std::vector<std::pair<int, QColor>> marked;
    for (std::size_t row = 0; row < keys_.size(); ++row) {
        const SourcedRow& sourced = SourceRow(static_cast<int>(row));
        cells[row] = sourced.cells;
        if (sourced.firstCellBackground.isValid()) {
            marked.emplace_back(static_cast<int>(row), sourced.firstCellBackground);
        }
    }
    cells_ = std::move(cells);
    // A colour the source gave stays with its cell, unless the cell has its own.
    for (const auto& [row, colour] : marked) {
        ListCellRecord& cell = EnsureCellRecord(row, 0);
        if (!cell.background.isValid()) {
            cell.background = colour;
        }
    }
    source_.reset();
    keys_.clear();
    shown_.clear();
    older_.clear();
}

bool DataListModel::SetCell(int row, int column, std::string text) {
    if (!ValidRow(row) || column < 0 || column >= columnCount()) {
        return false;
    }
    Materialise(); // an edited text must outlive the cache
    auto& cells = cells_[static_cast<std::size_t>(row)];
    if (static_cast<int>(cells.size()) <= column) {
        cells.resize(static_cast<std::size_t>(column) + 1);
    }
    cells[static_cast<std::size_t>(column)] = std::move(text);
    CellsChanged(row, column, column);
    return true;
}

const std::string& DataListModel::Cell(int row, int column) const {
    if (!ValidRow(row) || column < 0) {
        return kNoText;
    }
    const auto& cells = source_ ? SourceRow(row).cells : cells_[static_cast<std::size_t>(row)];
    return column < static_cast<int>(cells.size()) ? cells[static_cast<std::size_t>(column)]
                                                   : kNoText;
}

ListItemRecord* DataListModel::RowRecord(int row) const {
    return ValidRow(row) ? records_[static_cast<std::size_t>(row)].get() : nullptr;
}

ListItemRecord& DataListModel::EnsureRowRecord(int row) {
    auto& record = records_.at(static_cast<std::size_t>(row));
    if (!record) {
        record = std::make_unique<ListItemRecord>();
    }
    return *record;
}

ListColumnRecord* DataListModel::ColumnRecord(int column) const {
    return column >= 0 && column < columnCount()
               ? columns_[static_cast<std::size_t>(column)].record.get()
               : nullptr;
}

ListColumnRecord& DataListModel::EnsureColumnRecord(int column) {
    auto& record = columns_.at(static_cast<std::size_t>(column)).record;
    if (!record) {
        record = std::make_unique<ListColumnRecord>();
    }
    return *record;
}

const ListCellRecord* DataListModel::CellRecord(int row, int column) const {
    const ListItemRecord* record = RowRecord(row);
    if (record == nullptr || column < 0 || column >= static_cast<int>(record->cells.size())) {
        return nullptr;
    }
    return &record->cells[static_cast<std::size_t>(column)];
}

ListCellRecord& DataListModel::EnsureCellRecord(int row, int column) {
    ListItemRecord& record = EnsureRowRecord(row);
    if (static_cast<int>(record.cells.size()) <= column) {
        record.cells.resize(static_cast<std::size_t>(column) + 1);
    }
    return record.cells[static_cast<std::size_t>(column)];
}

std::size_t DataListModel::RowRecordCount() const {
    return static_cast<std::size_t>(std::count_if(records_.begin(), records_.end(),
                                                  [](const auto& r) { return r != nullptr; }));
}

void DataListModel::SortRows(const std::function<bool(int a, int b)>& less) {
    const int n = rowCount();
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    // A merge sort: some comparison types are not transitive (real numbers closer than one
    // compare equal), which an introsort may answer by running off its range.
    std::stable_sort(order.begin(), order.end(), less);

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<std::vector<std::string>> cells(source_ ? 0 : static_cast<std::size_t>(n));
    std::vector<int> keys(source_ ? static_cast<std::size_t>(n) : 0);
    std::vector<std::unique_ptr<ListItemRecord>> records(static_cast<std::size_t>(n));
    std::vector<int> newRow(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        auto from = static_cast<std::size_t>(order[static_cast<std::size_t>(i)]);
        if (source_) {
            keys[static_cast<std::size_t>(i)] = keys_[from];
        } else {
            cells[static_cast<std::size_t>(i)] = std::move(cells_[from]);
        }
        records[static_cast<std::size_t>(i)] = std::move(records_[from]);
        newRow[from] = i;
    }
    if (source_) {
        keys_ = std::move(keys);
    } else {
        cells_ = std::move(cells);
    }
    records_ = std::move(records);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        after.append(
            index.row() >= 0 && index.row() < n
                ? this->index(newRow[static_cast<std::size_t>(index.row())], index.column())
                : QModelIndex());
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void DataListModel::CellsChanged(int row, int firstColumn, int lastColumn) {
    emit dataChanged(index(row, firstColumn), index(row, lastColumn));
}

} // namespace qa::views
