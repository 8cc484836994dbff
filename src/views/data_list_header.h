#pragma once

#include <QHeaderView>

#include <memory>
#include <vector>

class QMenu;

namespace qa::views {

// Per column: the width it was inserted with (what showing it again restores), whether the
// operator may hide it, and whether it is shown.
struct HeaderColumnState {
    int rememberedWidth = 0;
    bool hideable = true;
    bool visible = true;
};

// The header of DataListView. Hidden columns are hidden sections kept behind the visible
// ones in display order; a hidden section has no divider of its own, so no drag or
// double-click on a divider can open one: the divider at its place belongs to the nearest
// visible column on its left.
class DataListHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit DataListHeader(QWidget* parent = nullptr);

    // Bookkeeping of the list's column insertions and removals (logical indexes).
    void ColumnInserted(int column, int width);
    void ColumnRemoved(int column);

    bool SetColumnHideable(int column, bool hideable);
    bool SetColumnVisible(int column, bool visible);
    bool IsColumnHideable(int column) const;
    bool IsColumnVisible(int column) const;
    int RememberedWidth(int column) const;
    int VisibleColumnCount() const;

    // Display position -> column.
    std::vector<int> OrderArray() const;
    // Applies a display order with every hidden column moved behind the visible ones
    // (visible ones keep their relative order). An order of the wrong size is ignored.
    void ApplyOrder(const std::vector<int>& order);

    // The divider under a viewport x: the visible column whose right edge it is, or -1.
    int DividerAt(int x) const;

    // The show/hide menu: null when every column is hideable (there is nothing to keep the
    // list from being emptied). Each action's data is column + 1.
    std::unique_ptr<QMenu> CreateColumnMenu(QWidget* parent = nullptr) const;
    // A command of that menu: shows the column when hidden, hides it when shown.
    void ApplyColumnMenuCommand(int command);

signals:
    void dividerDoubleClicked(int column);
    // The operator showed or hid a column from the menu.
    void columnChoiceChanged(int column, bool visible);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    bool InRange(int column) const;
    void ReapplyOrderAfterDrag();

    std::vector<HeaderColumnState> states_;
    bool applyingOrder_ = false;
};

} // namespace qa::views
