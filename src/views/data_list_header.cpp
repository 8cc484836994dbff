#include "views/data_list_header.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QStyle>

#include <algorithm>

namespace qa::views {

DataListHeader::DataListHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsMovable(true);
    setSectionsClickable(false);
    setStretchLastSection(false);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Interactive);
    setMinimumSectionSize(0);
    // A drop can put a visible column behind hidden ones; the order is set right once the
    // move is over, outside the header's own handling of the drop.
    connect(this, &QHeaderView::sectionMoved, this, [this] {
        if (!applyingOrder_) {
            QMetaObject::invokeMethod(
                this, [this] { ReapplyOrderAfterDrag(); }, Qt::QueuedConnection);
        }
    });
}

bool DataListHeader::InRange(int column) const {
    return column >= 0 && column < static_cast<int>(states_.size());
}

void DataListHeader::ColumnInserted(int column, int width) {
    column = std::clamp(column, 0, static_cast<int>(states_.size()));
    states_.insert(states_.begin() + column, HeaderColumnState{width, true, true});
}

void DataListHeader::ColumnRemoved(int column) {
    if (InRange(column)) {
        states_.erase(states_.begin() + column);
    }
}

bool DataListHeader::SetColumnHideable(int column, bool hideable) {
    if (!InRange(column)) {
        return false;
    }
    states_[static_cast<std::size_t>(column)].hideable = hideable;
    return true;
}

bool DataListHeader::IsColumnHideable(int column) const {
    return InRange(column) && states_[static_cast<std::size_t>(column)].hideable;
}

bool DataListHeader::IsColumnVisible(int column) const {
    return InRange(column) && states_[static_cast<std::size_t>(column)].visible;
}

int DataListHeader::RememberedWidth(int column) const {
    return InRange(column) ? states_[static_cast<std::size_t>(column)].rememberedWidth : 0;
}

int DataListHeader::VisibleColumnCount() const {
    return static_cast<int>(
        std::count_if(states_.begin(), states_.end(), [](const auto& s) { return s.visible; }));
}

bool DataListHeader::SetColumnVisible(int column, bool visible) {
    if (!InRange(column) || column >= count()) {
        return false;
    }
    HeaderColumnState& state = states_[static_cast<std::size_t>(column)];
    if (state.visible == visible) {
        return true;
    }
    state.visible = visible;
    applyingOrder_ = true;
    if (visible) {
        showSection(column);
        resizeSection(column, state.rememberedWidth);
        // Back no further right than the visible columns reach, and no further right than
        // its own index.
        int position = std::min(VisibleColumnCount() - 1, column);
        moveSection(visualIndex(column), position);
    } else {
        hideSection(column);
    }
    applyingOrder_ = false;
    ApplyOrder(OrderArray());
    return true;
}

std::vector<int> DataListHeader::OrderArray() const {
    std::vector<int> order(static_cast<std::size_t>(count()));
    for (int v = 0; v < count(); ++v) {
        order[static_cast<std::size_t>(v)] = logicalIndex(v);
    }
    return order;
}

void DataListHeader::ApplyOrder(const std::vector<int>& order) {
    const int n = count();
    if (static_cast<int>(order.size()) != n || n != static_cast<int>(states_.size())) {
        return;
    }
    std::vector<int> arranged(static_cast<std::size_t>(n));
    int front = 0;
    int back = n - 1;
    for (int column : order) {
        if (column < 0 || column >= n) {
            return;
        }
        if (IsColumnVisible(column)) {
            arranged[static_cast<std::size_t>(front++)] = column;
        } else {
            arranged[static_cast<std::size_t>(back--)] = column;
        }
    }
    applyingOrder_ = true;
    for (int v = 0; v < n; ++v) {
        int from = visualIndex(arranged[static_cast<std::size_t>(v)]);
        if (from != v) {
            moveSection(from, v);
        }
    }
    applyingOrder_ = false;
    viewport()->update();
}

void DataListHeader::ReapplyOrderAfterDrag() {
    ApplyOrder(OrderArray());
}

int DataListHeader::DividerAt(int x) const {
    const int margin = style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, this);
    // The last visible column's right edge, for a click past every section.
    auto lastVisible = [this] {
        for (int v = count() - 1; v >= 0; --v) {
            if (!isSectionHidden(logicalIndex(v))) {
                return logicalIndex(v);
            }
        }
        return -1;
    };
    int visual = visualIndexAt(x);
    if (visual < 0) {
        int last = lastVisible();
        if (last >= 0 && x - (sectionViewportPosition(last) + sectionSize(last)) <= margin) {
            return last;
        }
        return -1;
    }
    int column = logicalIndex(visual);
    int left = sectionViewportPosition(column);
    int right = left + sectionSize(column);
    if (x >= right - margin) {
        return column;
    }
    if (x < left + margin) {
        for (int v = visual - 1; v >= 0; --v) {
            if (!isSectionHidden(logicalIndex(v))) {
                return logicalIndex(v);
            }
        }
    }
    return -1;
}

void DataListHeader::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        int column = DividerAt(event->position().toPoint().x());
        if (column >= 0) {
            // Not the header's own handling: the table behind it would fit the column to
            // its first rows only.
            emit dividerDoubleClicked(column);
            event->accept();
            return;
        }
    }
    QHeaderView::mouseDoubleClickEvent(event);
}

std::unique_ptr<QMenu> DataListHeader::CreateColumnMenu(QWidget* parent) const {
    const int n = std::min(count(), static_cast<int>(states_.size()));
    int hideable = 0;
    for (int c = 0; c < n; ++c) {
        hideable += IsColumnHideable(c) ? 1 : 0;
    }
    if (n == 0 || hideable == n) {
        return nullptr;
    }
    auto menu = std::make_unique<QMenu>(parent);
    for (int c = 0; c < n; ++c) {
        QString heading = model() ? model()->headerData(c, Qt::Horizontal).toString() : QString();
        QAction* action = menu->addAction(heading);
        action->setData(c + 1);
        action->setCheckable(true);
        if (IsColumnHideable(c)) {
            action->setChecked(IsColumnVisible(c));
        } else {
            action->setChecked(true);
            action->setEnabled(false);
        }
    }
    return menu;
}

void DataListHeader::ApplyColumnMenuCommand(int command) {
    int column = command - 1;
    if (IsColumnHideable(column)) {
        SetColumnVisible(column, !IsColumnVisible(column));
        emit columnChoiceChanged(column, IsColumnVisible(column));
    }
}

void DataListHeader::contextMenuEvent(QContextMenuEvent* event) {
    event->accept(); // the list's owner has a menu of its own; it is not for the header
    std::unique_ptr<QMenu> menu = CreateColumnMenu(this);
    if (!menu) {
        return;
    }
    if (QAction* chosen = menu->exec(event->globalPos())) {
        ApplyColumnMenuCommand(chosen->data().toInt());
    }
}

} // namespace qa::views
