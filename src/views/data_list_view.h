#pragma once

#include "views/data_list_header.h"
#include "views/data_list_model.h"

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
    // Within that section, whose layout it is (an operator and a set of columns): each keeps
    // its own widths, order and shown columns. Empty: the section itself, as before scopes.
    void SetLayoutScope(const QString& scope) { layoutScope_ = scope; }
    const QString& LayoutScope() const { return layoutScope_; }

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
    QString layoutScope_;

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
