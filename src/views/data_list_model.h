#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace qa::views {

// An in-place editor for a cell, a row, a column or the whole list. `begin` may refuse the
// edit; `end` gets the edited text (and may change it) and returns 0 to drop it, 1 to keep
// it, -1 to keep it and sort again by the edited column. Without `end` the text is kept.
struct EditorHooks {
    std::function<bool(int row, int column)> begin;
    std::function<int(int row, int column, QString& text)> end;
    QPointer<QWidget> editor; // not owned; given the cell text through its user property
    bool readOnly = false;
};

struct ListCellRecord {
    EditorHooks hooks;
    QColor background; // invalid: none at this level
    QColor text;
};

struct ListItemRecord {
    EditorHooks hooks;
    std::vector<ListCellRecord> cells; // grown on demand
    QColor background;
    QColor text;
    QVariant userData;
};

using RowCompareFunction = std::function<int(const QVariant& a, const QVariant& b, int param)>;

struct ListColumnRecord {
    EditorHooks hooks;
    QColor background;
    QColor text;
    int sortFlags = 0; // 0: not sortable
    int sortType = 0;  // SortType of list_compare.h
    RowCompareFunction compare;
};

// Produces a row's cell texts when the list first needs them, so a list of a million stored
// results holds per row only the key it was loaded under.
class ListRowSource {
public:
    virtual ~ListRowSource() = default;
    // The cell texts (UTF-8) of the row loaded as number `key` (0 = the first loaded).
    virtual std::vector<std::string> RowCells(int key) = 0;
    // The background of that row's first cell when its stored values decide it (invalid:
    // none); asked right after RowCells for the same key and kept with its texts.
    virtual QColor FirstCellBackground(int /*key*/) { return {}; }
};

// The rows and columns of a DataListView. Cells are UTF-8 texts, either held for every row
// or taken from a row source for the rows on screen and cached for a while; a row carries a
// record only once something row-specific is set on it, so a bulk load of many rows
// allocates no object per row or cell.
class DataListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataListModel(QObject* parent = nullptr);
    ~DataListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    int InsertColumn(int column, const QString& heading, Qt::Alignment alignment);
    bool RemoveColumn(int column);
    QString Heading(int column) const;
    Qt::Alignment Alignment(int column) const;

    int InsertRow(int row, std::string firstCell, bool withRecord);
    void SetRows(std::vector<std::vector<std::string>>&& rows);
    // `rows` rows whose texts come from `source`, keys 0 to rows - 1 in this order.
    void SetRowSource(std::shared_ptr<ListRowSource> source, int rows);
    bool HasRowSource() const { return source_ != nullptr; }
    // The source keys of the rows in list order (a sort on the screen reorders them); empty
    // when the rows are held.
    const std::vector<int>& SourceKeys() const { return keys_; }
    // Forgets what the source gave, so the rows on screen are read again (their stored
    // values, or what the source derives from them, changed).
    void RefreshSourceRows();
    void ClearRows();
    bool SetCell(int row, int column, std::string text);
    const std::string& Cell(int row, int column) const;

    ListItemRecord* RowRecord(int row) const;
    ListItemRecord& EnsureRowRecord(int row);
    ListColumnRecord* ColumnRecord(int column) const;
    ListColumnRecord& EnsureColumnRecord(int column);
    const ListCellRecord* CellRecord(int row, int column) const;
    ListCellRecord& EnsureCellRecord(int row, int column);
    std::size_t RowRecordCount() const;

    // Reorders the rows by `less`, keeping selections and the current row on their rows.
    void SortRows(const std::function<bool(int a, int b)>& less);

    void CellsChanged(int row, int firstColumn, int lastColumn);

private:
    bool ValidRow(int row) const { return row >= 0 && row < rowCount(); }
    // Texts of a source row, fetched or from the cache. A reference stays valid for at least
    // kCachedRows later fetches: comparing two rows' texts never reads a dropped one.
    struct SourcedRow {
        std::vector<std::string> cells;
        QColor firstCellBackground;
    };
    const SourcedRow& SourceRow(int row) const;
    // Takes every row's texts from the source and leaves source mode, for the rare changes
    // (an inserted row or column) that a source cannot follow.
    void Materialise();

    struct Column {
        QString heading;
        Qt::Alignment alignment;
        std::unique_ptr<ListColumnRecord> record;
    };
    std::vector<Column> columns_;
    std::vector<std::vector<std::string>> cells_;
    std::vector<std::unique_ptr<ListItemRecord>> records_;

    static constexpr std::size_t kCachedRows = 1024;
    std::shared_ptr<ListRowSource> source_;
    std::vector<int> keys_; // per row in source mode
    mutable std::unordered_map<int, SourcedRow> shown_;
    mutable std::unordered_map<int, SourcedRow> older_;
};

} // namespace qa::views
