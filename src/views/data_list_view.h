#pragma once

#include "views/data_list_header.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QPointer>
#include <QTableView>
#include <QVariant>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class QSettings;

namespace qa::views {

// Organisation and application of the profile that keeps the lists' column layouts.
inline constexpr const char* kProfileOrganisation = "Local AppWizard-Generated Applications";
inline constexpr const char* kProfileApplication = "QuorinA1cComm";

// Sort flags of a column.
enum SortFlag : int {
    SortAscending = 1,
    SortDescending = 2,
    SortToggle = 4, // each toggled sort reverses the direction; the first is ascending
};

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

// A report list of rows and columns: sorting by a column with a comparison type, columns the
// operator hides and shows from the header menu and reorders by dragging, a focus cell moved
// with the arrow keys, type-ahead search in the focus column, per-cell colours, in-place
// edit hooks, and the column layout kept in the application profile.
class DataListView : public QTableView {
    Q_OBJECT
public:
    explicit DataListView(QWidget* parent = nullptr);
    ~DataListView() override;

    // The section of the application profile that holds this list's layout.
    void SetControlId(int id) { controlId_ = id; }

    // Columns.
    int InsertColumn(int column, const QString& heading, Qt::Alignment alignment, int width);
    bool DeleteColumn(int column);
    void DeleteAllColumns();
    int ColumnCount() const;
    QString ColumnHeading(int column) const;
    Qt::Alignment ColumnAlignment(int column) const;
    int ColumnWidth(int column) const; // 0 for a hidden column
    bool SetColumnWidth(int column, int width);
    bool IsColumnVisible(int column) const;
    bool SetColumnVisible(int column, bool visible);
    bool SetColumnHideable(int column, bool hideable);
    std::vector<int> ColumnOrder() const; // display position -> column
    DataListHeader* Header() const { return header_; }
    DataListModel* Model() const { return model_; }

    // Rows.
    int AddRow(int row, const QString& firstCell);
    bool SetItemText(int row, int column, const QString& text);
    // Replaces every row at once (cell texts in UTF-8), for loading large lists.
    void SetRows(std::vector<std::vector<std::string>>&& rows);
    // Replaces every row by `rows` rows whose texts `source` gives when they are shown.
    void SetRowSource(std::shared_ptr<ListRowSource> source, int rows);
    void DeleteAllRows();
    int RowCount() const;
    QString CellText(int row, int column) const;
    const std::string& CellTextUtf8(int row, int column) const;
    bool SetRowData(int row, const QVariant& rowData);
    QVariant GetRowData(int row) const;

    // Selection and focus.
    void SelectRow(int row); // the only selected row, focused and scrolled into view
    std::vector<int> SelectedRows() const;
    int FocusedRow() const;
    int FocusColumn() const { return focusColumn_; }
    void SetFocusColumn(int column);

    // Sorting.
    bool SetColumnSort(int column, int flags, int type);
    void SortByColumn(int column, bool toggle);
    int SortColumn() const { return sortColumn_; }
    bool IsSortAscending() const { return sortAscending_; }
    void SetUserCompare(RowCompareFunction compare, int param);
    bool SetColumnCompare(int column, RowCompareFunction compare);
    // Lists whose headings act as buttons sort on a heading click.
    void SetSortOnHeaderClick(bool enabled);

    // Widths and layout.
    void FitColumn(int column);
    void SetSmallIconWidth(int width) { smallIconWidth_ = width; }
    void SetRowHeight(int height);
    [[nodiscard]] bool SaveColumnState(QSettings& profile) const;
    bool RestoreColumnState(QSettings& profile);
    [[nodiscard]] bool SaveColumnState() const;
    bool RestoreColumnState();

    // Colours; an invalid colour clears the level.
    bool SetColumnColors(int column, const QColor& background, const QColor& text);
    bool SetRowColors(int row, const QColor& background, const QColor& text);
    bool SetCellColors(int row, int column, const QColor& background, const QColor& text);

    // In-place editing.
    void SetDefaultEditor(EditorHooks hooks) { defaultHooks_ = std::move(hooks); }
    bool SetColumnEditor(int column, EditorHooks hooks);
    bool SetRowEditor(int row, EditorHooks hooks);
    bool SetCellEditor(int row, int column, EditorHooks hooks);
    bool StartEdit(int row, int column);
    void EndEdit();
    bool IsEditing() const { return editRow_ >= 0; }

    // Type-ahead. The clock gives milliseconds; tests replace it.
    void SetClock(std::function<std::int64_t()> clock) { clock_ = std::move(clock); }
    QString SearchText() const { return searchText_; }

signals:
    // Double-click that started no edit; row and column are -1 off the rows.
    void rowDoubleClicked(int row, int column);
    // Right button pressed; row and column are -1 off the rows.
    void rowRightClicked(int row, int column);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void MoveFocusColumn(int step);
    void TypeAhead(const QString& character);
    const EditorHooks* EditorFor(int row, int column) const;
    bool IsReadOnly(int row, int column) const;
    void SyncCurrentColumn();

    DataListModel* model_;
    DataListHeader* header_;
    int controlId_ = 0;

    int sortColumn_ = -1;
    bool sortAscending_ = false;
    RowCompareFunction userCompare_;
    int userCompareParam_ = 0;

    int focusColumn_ = -1;
    int searchRow_ = -1;
    int searchColumn_ = -1;
    std::int64_t searchTime_ = 0;
    QString searchText_;
    std::function<std::int64_t()> clock_;

    EditorHooks defaultHooks_;
    EditorHooks activeHooks_; // a copy: the records may move while the edit runs
    int editRow_ = -1;
    int editColumn_ = -1;
    int lastEditRow_ = -1;
    int lastEditColumn_ = -1;
    bool endingEdit_ = false; // the edit's end may lose focus again while it runs

    int smallIconWidth_ = 0;
};

} // namespace qa::views
