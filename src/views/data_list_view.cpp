#include "views/data_list_view.h"

#include "views/list_compare.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMetaProperty>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSettings>
#include <QStyledItemDelegate>
#include <QtEndian>

#include <algorithm>
#include <chrono>
#include <numeric>
#include <optional>

namespace qa::views {

namespace {

constexpr std::int64_t kSearchPauseMs = 2000;
constexpr int kFitPadding = 12;
constexpr int kEditorClientMargin = 4;
// Anything wider than this in a saved layout is not a width someone dragged.
constexpr int kMaxSavedWidth = 32767;

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QByteArray PackInts(const std::vector<int>& values) {
    QByteArray bytes(static_cast<qsizetype>(values.size() * 4), '\0');
    for (std::size_t i = 0; i < values.size(); ++i) {
        qToLittleEndian<qint32>(values[i], bytes.data() + i * 4);
    }
    return bytes;
}

// Exactly `count` little-endian 32-bit values, or nothing.
std::optional<std::vector<int>> UnpackInts(const QVariant& value, int count) {
    if (!value.isValid() || value.typeId() != QMetaType::QByteArray) {
        return std::nullopt;
    }
    QByteArray bytes = value.toByteArray();
    if (bytes.size() != static_cast<qsizetype>(count) * 4) {
        return std::nullopt;
    }
    std::vector<int> values(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        values[static_cast<std::size_t>(i)] = qFromLittleEndian<qint32>(bytes.constData() + i * 4);
    }
    return values;
}

std::optional<int> ReadInt(const QSettings& profile, const char* key) {
    QVariant value = profile.value(QString::fromLatin1(key));
    bool ok = false;
    int number = value.toInt(&ok);
    return value.isValid() && ok ? std::optional<int>(number) : std::nullopt;
}

std::int64_t SteadyMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// A dotted frame as the desktop draws around a focused item. Drawn here rather than by the
// style, which shows focus frames only after keyboard use.
void DrawFocusFrame(QPainter* painter, const QRect& rect, const QPalette& palette) {
    painter->save();
    painter->setPen(QPen(palette.color(QPalette::Text), 1, Qt::DotLine));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(rect.adjusted(0, 0, -1, -1));
    painter->restore();
}

// Paints the focus cell unselected with a focus frame around it, so the operator sees which
// cell the arrow keys and the type-ahead work on inside the selected row.
class ListCellDelegate : public QStyledItemDelegate {
public:
    explicit ListCellDelegate(DataListView* list) : QStyledItemDelegate(list), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt(option);
        opt.state &= ~QStyle::State_HasFocus;
        const bool focusCell =
            index.row() == list_->FocusedRow() && index.column() == list_->FocusColumn();
        if (focusCell) {
            opt.state &= ~QStyle::State_Selected;
            // The table has already painted the selected row's background under every cell.
            QVariant own = index.data(Qt::BackgroundRole);
            painter->fillRect(opt.rect, own.canConvert<QBrush>()
                                            ? own.value<QBrush>()
                                            : opt.palette.brush(QPalette::Base));
        }
        QStyledItemDelegate::paint(painter, opt, index);
        if (focusCell) {
            DrawFocusFrame(painter, opt.rect.adjusted(0, 0, list_->showGrid() ? -1 : 0, 0),
                           opt.palette);
        }
    }

private:
    DataListView* list_;
};

} // namespace

// ---------------------------------------------------------------------------------------
// DataListView

DataListView::DataListView(QWidget* parent)
    : QTableView(parent), model_(new DataListModel(this)), header_(new DataListHeader(this)),
      clock_(SteadyMilliseconds) {
    setModel(model_);
    setHorizontalHeader(header_);
    verticalHeader()->hide();
    // A fixed row height lets the view place any of many rows without measuring them.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setShowGrid(true);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setItemDelegate(new ListCellDelegate(this));
    connect(header_, &DataListHeader::dividerDoubleClicked, this, &DataListView::FitColumn);
}

DataListView::~DataListView() {
    if (activeHooks_.editor) {
        activeHooks_.editor->removeEventFilter(this);
    }
}

// --- columns ---------------------------------------------------------------------------

int DataListView::InsertColumn(int column, const QString& heading, Qt::Alignment alignment,
                               int width) {
    column = model_->InsertColumn(column, heading, alignment);
    header_->ColumnInserted(column, width);
    header_->resizeSection(column, width);
    return column;
}

bool DataListView::DeleteColumn(int column) {
    if (column < 0 || column >= ColumnCount()) {
        return false;
    }
    header_->ColumnRemoved(column);
    return model_->RemoveColumn(column);
}

void DataListView::DeleteAllColumns() {
    while (ColumnCount() > 0) {
        DeleteColumn(0);
    }
}

int DataListView::ColumnCount() const {
    return header_->count();
}

QString DataListView::ColumnHeading(int column) const {
    return model_->Heading(column);
}

Qt::Alignment DataListView::ColumnAlignment(int column) const {
    return model_->Alignment(column);
}

int DataListView::ColumnWidth(int column) const {
    if (column < 0 || column >= ColumnCount() || header_->isSectionHidden(column)) {
        return 0;
    }
    return header_->sectionSize(column);
}

bool DataListView::SetColumnWidth(int column, int width) {
    if (column < 0 || column >= ColumnCount() || width < 0) {
        return false;
    }
    header_->resizeSection(column, width);
    return true;
}

bool DataListView::IsColumnVisible(int column) const {
    return header_->IsColumnVisible(column);
}

bool DataListView::SetColumnVisible(int column, bool visible) {
    bool done = header_->SetColumnVisible(column, visible);
    if (done && !visible && column == focusColumn_) {
        focusColumn_ = -1; // a hidden cell cannot hold the focus frame
    }
    viewport()->update();
    return done;
}

bool DataListView::SetColumnHideable(int column, bool hideable) {
    return header_->SetColumnHideable(column, hideable);
}

std::vector<int> DataListView::ColumnOrder() const {
    return header_->OrderArray();
}

// --- rows --------------------------------------------------------------------------------

int DataListView::AddRow(int row, const QString& firstCell) {
    return model_->InsertRow(row, firstCell.toStdString(), true);
}

bool DataListView::SetItemText(int row, int column, const QString& text) {
    return model_->SetCell(row, column, text.toStdString());
}

void DataListView::SetRows(std::vector<std::vector<std::string>>&& rows) {
    if (IsEditing()) {
        EndEdit();
    }
    searchRow_ = -1;
    model_->SetRows(std::move(rows));
}

void DataListView::SetRowSource(std::shared_ptr<ListRowSource> source, int rows) {
    if (IsEditing()) {
        EndEdit();
    }
    searchRow_ = -1;
    model_->SetRowSource(std::move(source), rows);
}

void DataListView::DeleteAllRows() {
    if (IsEditing()) {
        EndEdit();
    }
    searchRow_ = -1;
    model_->ClearRows();
}

int DataListView::RowCount() const {
    return model_->rowCount();
}

QString DataListView::CellText(int row, int column) const {
    return FromUtf8(model_->Cell(row, column));
}

const std::string& DataListView::CellTextUtf8(int row, int column) const {
    return model_->Cell(row, column);
}

bool DataListView::SetRowData(int row, const QVariant& rowData) {
    if (row < 0 || row >= RowCount()) {
        return false;
    }
    model_->EnsureRowRecord(row).userData = rowData;
    return true;
}

QVariant DataListView::GetRowData(int row) const {
    const ListItemRecord* record = model_->RowRecord(row);
    return record ? record->userData : QVariant();
}

// --- selection and focus -----------------------------------------------------------------

void DataListView::SelectRow(int row) {
    if (row < 0 || row >= RowCount()) {
        return;
    }
    QModelIndex index = model_->index(row, std::max(focusColumn_, 0));
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
    scrollTo(index);
}

std::vector<int> DataListView::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

int DataListView::FocusedRow() const {
    QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void DataListView::SetFocusColumn(int column) {
    focusColumn_ = column >= 0 && column < ColumnCount() && IsColumnVisible(column) ? column : -1;
    SyncCurrentColumn();
    viewport()->update();
}

void DataListView::SyncCurrentColumn() {
    QModelIndex current = currentIndex();
    if (focusColumn_ >= 0 && current.isValid() && current.column() != focusColumn_) {
        selectionModel()->setCurrentIndex(model_->index(current.row(), focusColumn_),
                                          QItemSelectionModel::NoUpdate);
    }
}

void DataListView::MoveFocusColumn(int step) {
    if (RowCount() == 0) {
        focusColumn_ = -1;
        return;
    }
    const int count = ColumnCount();
    int target = -1;
    if (focusColumn_ < 0) {
        if (step > 0 && count > 0) {
            target = header_->logicalIndex(0);
        }
    } else {
        int position = header_->visualIndex(focusColumn_) + step;
        if (position >= 0 && position < count) {
            target = header_->logicalIndex(position);
        }
    }
    if (target < 0 || !IsColumnVisible(target)) {
        return;
    }
    focusColumn_ = target;
    SyncCurrentColumn();
    int row = std::max(FocusedRow(), 0);
    scrollTo(model_->index(row, focusColumn_));
    viewport()->update();
}

// --- sorting -----------------------------------------------------------------------------

bool DataListView::SetColumnSort(int column, int flags, int type) {
    if (column < 0 || column >= ColumnCount() ||
        (flags & (SortAscending | SortDescending | SortToggle)) == 0) {
        return false;
    }
    ListColumnRecord& record = model_->EnsureColumnRecord(column);
    record.sortFlags = flags;
    record.sortType = type;
    record.compare = nullptr;
    return true;
}

void DataListView::SetUserCompare(RowCompareFunction compare, int param) {
    userCompare_ = std::move(compare);
    userCompareParam_ = param;
}

bool DataListView::SetColumnCompare(int column, RowCompareFunction compare) {
    ListColumnRecord* record = model_->ColumnRecord(column);
    if (record == nullptr) {
        return false;
    }
    record->compare = std::move(compare);
    return true;
}

void DataListView::SetSortOnHeaderClick(bool enabled) {
    header_->setSectionsClickable(enabled);
    disconnect(header_, &QHeaderView::sectionClicked, this, nullptr);
    if (enabled) {
        connect(header_, &QHeaderView::sectionClicked, this,
                [this](int column) { SortByColumn(column, true); });
    }
}

void DataListView::SortByColumn(int column, bool toggle) {
    if (column < 0 || column >= ColumnCount()) {
        return;
    }
    ListColumnRecord* record = model_->ColumnRecord(column);
    if (record == nullptr || (record->sortFlags & 7) == 0) {
        return;
    }
    int& flags = record->sortFlags;
    if (flags & SortToggle) {
        if ((flags & (SortAscending | SortDescending)) == 0) {
            flags |= SortDescending;
        }
        if (toggle) {
            int directions = flags & (SortAscending | SortDescending);
            flags &= ~(SortAscending | SortDescending);
            flags |= ((directions & SortAscending) ? SortDescending : 0) |
                     ((directions & SortDescending) ? SortAscending : 0);
        }
    }
    sortColumn_ = column;
    const int sign = (flags & SortAscending) ? 1 : (flags & (SortDescending | SortToggle)) ? -1 : 0;
    if (sign != 0) {
        // A column's own compare function serves that column only; the list's function
        // serves the others.
        const RowCompareFunction& compare = record->compare ? record->compare : userCompare_;
        if (compare) {
            const int param = userCompareParam_ != 0 ? userCompareParam_ : column;
            model_->SortRows([&](int a, int b) {
                return sign * compare(GetRowData(a), GetRowData(b), param) < 0;
            });
        } else {
            const int type = record->sortType;
            // Rows from a source are cached only while shown: the sort reads each text once
            // and keeps its own copy.
            std::vector<std::string> texts;
            if (model_->HasRowSource()) {
                texts.reserve(static_cast<std::size_t>(RowCount()));
                for (int row = 0; row < RowCount(); ++row) {
                    texts.push_back(model_->Cell(row, column));
                }
            }
            auto text = [&](int row) -> const std::string& {
                return texts.empty() ? model_->Cell(row, column)
                                     : texts[static_cast<std::size_t>(row)];
            };
            std::vector<SortKey> keys(static_cast<std::size_t>(RowCount()));
            for (int row = 0; row < RowCount(); ++row) {
                keys[static_cast<std::size_t>(row)] = MakeSortKey(text(row), type);
            }
            model_->SortRows([&](int a, int b) {
                return sign * CompareKeys(keys[static_cast<std::size_t>(a)], text(a),
                                          keys[static_cast<std::size_t>(b)], text(b), type) <
                       0;
            });
        }
    }
    sortAscending_ = (flags & SortAscending) != 0;
    header_->setSortIndicatorShown(true);
    header_->setSortIndicator(column, sortAscending_ ? Qt::AscendingOrder : Qt::DescendingOrder);
}

// --- widths and layout -------------------------------------------------------------------

void DataListView::FitColumn(int column) {
    if (column < 0 || column >= ColumnCount()) {
        return;
    }
    int position = header_->visualIndex(column);
    while (position >= 0 && !IsColumnVisible(header_->logicalIndex(position))) {
        --position;
    }
    if (position < 0 || RowCount() == 0) {
        return;
    }
    column = header_->logicalIndex(position);
    QFontMetrics metrics(font());
    int widest = 0;
    for (int row = 0; row < RowCount(); ++row) {
        widest = std::max(widest, metrics.horizontalAdvance(CellText(row, column)));
    }
    int width = widest + kFitPadding;
    if (column == 0) {
        width += smallIconWidth_;
    }
    header_->resizeSection(column, width);
}

void DataListView::SetRowHeight(int height) {
    verticalHeader()->setMinimumSectionSize(
        std::min(height, verticalHeader()->minimumSectionSize()));
    verticalHeader()->setDefaultSectionSize(height);
}

namespace {

QString LayoutGroup(int controlId, const QString& scope) {
    QString group = QString::number(controlId);
    if (!scope.isEmpty()) {
        // QSettings escapes what a key may not hold; a separator would open a deeper group.
        QString safe = scope;
        safe.replace(QLatin1Char('/'), QLatin1Char('_'))
            .replace(QLatin1Char('\\'), QLatin1Char('_'));
        group += QLatin1Char('/') + safe;
    }
    return group;
}

} // namespace

bool DataListView::SaveColumnState(QSettings& profile) const {
    const int count = ColumnCount();
    std::vector<int> widths(static_cast<std::size_t>(count));
    std::vector<int> visible(static_cast<std::size_t>(count));
    for (int c = 0; c < count; ++c) {
        widths[static_cast<std::size_t>(c)] = ColumnWidth(c);
        visible[static_cast<std::size_t>(c)] = IsColumnVisible(c) ? 1 : 0;
    }
    profile.beginGroup(LayoutGroup(controlId_, layoutScope_));
    profile.setValue("ColumnCount", count);
    profile.setValue("ColumnOrder", PackInts(ColumnOrder()));
    profile.setValue("ColumnWidth", PackInts(widths));
    profile.setValue("ColumnVisible", PackInts(visible));
    profile.setValue("ColSortNum", sortColumn_);
    profile.setValue("ColSortDir", sortAscending_ ? 1 : 0);
    profile.endGroup();
    profile.sync();
    return profile.status() == QSettings::NoError;
}

bool DataListView::RestoreColumnState(QSettings& profile) {
    const int count = ColumnCount();
    if (count == 0) {
        return false;
    }
    // A scope without a layout of its own yet starts from the one kept before scopes
    // existed, so an upgrade keeps the operator's widths.
    QString group = LayoutGroup(controlId_, layoutScope_);
    if (!layoutScope_.isEmpty() && !profile.contains(group + QStringLiteral("/ColumnCount"))) {
        group = LayoutGroup(controlId_, QString());
    }
    profile.beginGroup(group);
    struct GroupEnd {
        QSettings& p;
        ~GroupEnd() { p.endGroup(); }
    } groupEnd{profile};

    // A layout saved for another set of columns (the other result kind) is not this one's.
    if (ReadInt(profile, "ColumnCount") != count) {
        return false;
    }
    std::optional<std::vector<int>> order = UnpackInts(profile.value("ColumnOrder"), count);
    if (!order) {
        return false;
    }
    std::vector<bool> seen(static_cast<std::size_t>(count), false);
    for (int column : *order) {
        if (column < 0 || column >= count || seen[static_cast<std::size_t>(column)]) {
            return false;
        }
        seen[static_cast<std::size_t>(column)] = true;
    }
    std::optional<std::vector<int>> widths = UnpackInts(profile.value("ColumnWidth"), count);
    if (!widths || std::any_of(widths->begin(), widths->end(),
                               [](int w) { return w < 0 || w > kMaxSavedWidth; })) {
        header_->ApplyOrder(*order); // as far as the layout reads
        return false;
    }
    std::optional<std::vector<int>> visible = UnpackInts(profile.value("ColumnVisible"), count);
    if (!visible) {
        header_->ApplyOrder(*order);
        for (int c = 0; c < count; ++c) {
            SetColumnWidth(c, (*widths)[static_cast<std::size_t>(c)]);
        }
        return false;
    }

    // Shown first, then placed, then sized: a column that starts hidden would otherwise be
    // put behind the visible ones and given its first width when the layout shows it.
    for (int c = 0; c < count; ++c) {
        // A column the operator may not hide is never hidden by a stored flag: nothing in
        // the header menu could show it again.
        bool show = (*visible)[static_cast<std::size_t>(c)] != 0 || !header_->IsColumnHideable(c);
        SetColumnVisible(c, show);
    }
    header_->ApplyOrder(*order);
    for (int c = 0; c < count; ++c) {
        // A hidden column was saved with no width; it keeps the one it had when shown.
        if (IsColumnVisible(c)) {
            SetColumnWidth(c, (*widths)[static_cast<std::size_t>(c)]);
        }
    }

    std::optional<int> sortColumn = ReadInt(profile, "ColSortNum");
    if (sortColumn && *sortColumn >= 0 && *sortColumn < count) {
        const bool ascending = ReadInt(profile, "ColSortDir").value_or(0) == 1;
        ListColumnRecord* record = model_->ColumnRecord(*sortColumn);
        if (record != nullptr && (record->sortFlags & SortToggle)) {
            // The saved direction itself, whatever direction the column last had.
            record->sortFlags = SortToggle | (ascending ? SortAscending : SortDescending);
        }
        SortByColumn(*sortColumn, false);
    }
    return true;
}

bool DataListView::SaveColumnState() const {
    QSettings profile(QSettings::IniFormat, QSettings::UserScope, kProfileOrganisation,
                      kProfileApplication);
    return SaveColumnState(profile);
}

bool DataListView::RestoreColumnState() {
    QSettings profile(QSettings::IniFormat, QSettings::UserScope, kProfileOrganisation,
                      kProfileApplication);
    return RestoreColumnState(profile);
}

// --- colours -----------------------------------------------------------------------------

bool DataListView::SetColumnColors(int column, const QColor& background, const QColor& text) {
    if (column < 0 || column >= ColumnCount()) {
        return false;
    }
    ListColumnRecord& record = model_->EnsureColumnRecord(column);
    record.background = background;
    record.text = text;
    viewport()->update();
    return true;
}

bool DataListView::SetRowColors(int row, const QColor& background, const QColor& text) {
    if (row < 0 || row >= RowCount()) {
        return false;
    }
    ListItemRecord& record = model_->EnsureRowRecord(row);
    record.background = background;
    record.text = text;
    model_->CellsChanged(row, 0, std::max(ColumnCount() - 1, 0));
    return true;
}

bool DataListView::SetCellColors(int row, int column, const QColor& background,
                                 const QColor& text) {
    if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) {
        return false;
    }
    ListCellRecord& cell = model_->EnsureCellRecord(row, column);
    cell.background = background;
    cell.text = text;
    model_->CellsChanged(row, column, column);
    return true;
}

// --- in-place editing --------------------------------------------------------------------

bool DataListView::SetColumnEditor(int column, EditorHooks hooks) {
    if (column < 0 || column >= ColumnCount()) {
        return false;
    }
    model_->EnsureColumnRecord(column).hooks = std::move(hooks);
    return true;
}

bool DataListView::SetRowEditor(int row, EditorHooks hooks) {
    if (row < 0 || row >= RowCount()) {
        return false;
    }
    model_->EnsureRowRecord(row).hooks = std::move(hooks);
    return true;
}

bool DataListView::SetCellEditor(int row, int column, EditorHooks hooks) {
    if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) {
        return false;
    }
    model_->EnsureCellRecord(row, column).hooks = std::move(hooks);
    return true;
}

bool DataListView::IsReadOnly(int row, int column) const {
    const ListItemRecord* rowRecord = model_->RowRecord(row);
    const ListColumnRecord* columnRecord = model_->ColumnRecord(column);
    const ListCellRecord* cell = model_->CellRecord(row, column);
    return (rowRecord && rowRecord->hooks.readOnly) ||
           (columnRecord && columnRecord->hooks.readOnly) || (cell && cell->hooks.readOnly);
}

const EditorHooks* DataListView::EditorFor(int row, int column) const {
    if (const ListCellRecord* cell = model_->CellRecord(row, column); cell && cell->hooks.editor) {
        return &cell->hooks;
    }
    if (const ListItemRecord* record = model_->RowRecord(row); record && record->hooks.editor) {
        return &record->hooks;
    }
    if (const ListColumnRecord* record = model_->ColumnRecord(column);
        record && record->hooks.editor) {
        return &record->hooks;
    }
    return defaultHooks_.editor ? &defaultHooks_ : nullptr;
}

bool DataListView::StartEdit(int row, int column) {
    if (IsEditing() || row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount() ||
        !IsColumnVisible(column) || IsReadOnly(row, column)) {
        return false;
    }
    const EditorHooks* hooks = EditorFor(row, column);
    if (hooks == nullptr) {
        return false;
    }
    QModelIndex index = model_->index(row, column);
    scrollTo(index);
    if (hooks->begin && !hooks->begin(row, column)) {
        return false;
    }
    // The hooks hold the editor weakly: a widget destroyed since they were set edits nothing.
    QWidget* editor = hooks->editor;
    if (editor == nullptr) {
        return false;
    }
    activeHooks_ = *hooks;
    editRow_ = lastEditRow_ = row;
    editColumn_ = lastEditColumn_ = column;
    if (editor->parentWidget() != viewport()) {
        editor->setParent(viewport());
    }
    QMetaProperty text = editor->metaObject()->userProperty();
    if (text.isValid()) {
        text.write(editor, CellText(row, column));
    }
    QRect cell = visualRect(index);
    cell.setRight(std::min(cell.right(), viewport()->width() - kEditorClientMargin - 1));
    editor->setGeometry(cell);
    editor->installEventFilter(this);
    editor->show();
    editor->setFocus();
    return true;
}

void DataListView::EndEdit() {
    if (endingEdit_ || !IsEditing()) {
        return;
    }
    endingEdit_ = true;
    const int row = editRow_;
    const int column = editColumn_;
    EditorHooks hooks = activeHooks_;
    editRow_ = editColumn_ = -1;
    activeHooks_ = {};
    QString text;
    if (QWidget* editor = hooks.editor) {
        editor->removeEventFilter(this);
        editor->hide();
        QMetaProperty property = editor->metaObject()->userProperty();
        if (property.isValid()) {
            text = property.read(editor).toString();
        }
    }
    int result = hooks.end ? hooks.end(row, column, text) : 1;
    if (result != 0) {
        SetItemText(row, column, text);
    }
    if (result == -1) {
        SortByColumn(column, false);
    }
    setFocus();
    if (int focused = FocusedRow(); focused >= 0) {
        selectionModel()->select(model_->index(focused, 0),
                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    endingEdit_ = false;
}

bool DataListView::eventFilter(QObject* watched, QEvent* event) {
    if (IsEditing() && watched == activeHooks_.editor.data()) {
        if (event->type() == QEvent::FocusOut) {
            EndEdit();
        } else if (event->type() == QEvent::KeyPress) {
            int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
                EndEdit();
                return true;
            }
        }
    }
    return QTableView::eventFilter(watched, event);
}

// --- input -------------------------------------------------------------------------------

void DataListView::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    if ((key == Qt::Key_Left || key == Qt::Key_Right) && !ctrl) {
        MoveFocusColumn(key == Qt::Key_Left ? -1 : 1);
        event->accept();
        return;
    }
    if (ctrl && key == Qt::Key_A) {
        if (selectionMode() != QAbstractItemView::SingleSelection) {
            selectAll();
        }
        event->accept();
        return;
    }
    if (key == Qt::Key_F2) {
        std::vector<int> selected = SelectedRows();
        if (!selected.empty()) {
            StartEdit(selected.front(), focusColumn_);
        }
        event->accept();
        return;
    }
    const QString text = event->text();
    if (ctrl && (key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde)) {
        searchText_.clear(); // typed with Ctrl held: a control character, not a search
        event->accept();
        return;
    }
    if (!ctrl && !text.isEmpty() && text.at(0).isPrint()) {
        TypeAhead(text);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
    SyncCurrentColumn();
}

void DataListView::TypeAhead(const QString& character) {
    const int rows = RowCount();
    // Column 0 is searched when no other column holds the focus, as a plain list searches
    // its first column.
    const int column = focusColumn_ > 0 ? focusColumn_ : 0;
    const int focused = FocusedRow();
    const std::int64_t now = clock_();
    if (now - searchTime_ >= kSearchPauseMs || column != searchColumn_ || focused != searchRow_) {
        searchText_.clear();
    }
    searchTime_ = now;
    searchColumn_ = column;
    // Repeating one character steps through the rows that begin with it.
    if (searchText_ != character) {
        searchText_ += character;
    }
    if (rows == 0) {
        return;
    }
    const int start = focused + 1;
    for (int i = 0; i < rows; ++i) {
        int row = (start + i) % rows;
        if (CellText(row, column).startsWith(searchText_, Qt::CaseInsensitive)) {
            SelectRow(row);
            searchRow_ = row;
            return;
        }
    }
}

void DataListView::mousePressEvent(QMouseEvent* event) {
    QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() &&
        (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)) {
        focusColumn_ = index.column();
    }
    QTableView::mousePressEvent(event);
    viewport()->update();
    if (event->button() == Qt::RightButton) {
        emit rowRightClicked(index.isValid() ? index.row() : -1,
                             index.isValid() ? index.column() : -1);
    }
}

void DataListView::mouseDoubleClickEvent(QMouseEvent* event) {
    QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid() &&
        StartEdit(index.row(), index.column())) {
        event->accept();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) {
        emit rowDoubleClicked(index.isValid() ? index.row() : -1,
                              index.isValid() ? index.column() : -1);
    }
}

void DataListView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    // Without a focus cell the focused row shows one frame around the whole row.
    const int row = FocusedRow();
    if (focusColumn_ >= 0 || row < 0 || !hasFocus()) {
        return;
    }
    QRect frame;
    for (int c = 0; c < ColumnCount(); ++c) {
        if (IsColumnVisible(c)) {
            frame = frame.united(visualRect(model_->index(row, c)));
        }
    }
    if (frame.isEmpty()) {
        return;
    }
    QPainter painter(viewport());
    DrawFocusFrame(&painter, frame.adjusted(0, 0, showGrid() ? -1 : 0, 0), palette());
}

} // namespace qa::views
