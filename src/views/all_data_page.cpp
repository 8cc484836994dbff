#include "views/all_data_page.h"

#include "i18n/message_text.h"
#include "print/list_report.h"
#include "print/report_header.h"
#include "store/audit_log.h"
#include "store/csv_export.h"
#include "store/display_format.h"
#include "store/list_filters.h"
#include "store/patient_history.h"
#include "store/patient_search.h"
#include "store/record_edit.h"
#include "store/result_delete.h"
#include "store/result_lookup.h"
#include "store/system_error.h"
#include "store/text_encoding.h"
#include "store/users.h"
#include "views/delivery_panel.h"
#include "views/list_report_source.h"
#include "views/patient_chooser.h"
#include "views/patient_page.h"
#include "views/record_dialogs.h"
#include "widgets/date_typing.h"
#include "widgets/image_button.h"

#include <QAbstractItemView>
#include <QAbstractListModel>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalBlocker>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <optional>
#include <unordered_map>

namespace qa {

namespace {

constexpr MessageId kCaption = MessageId::CaptionProgram;
constexpr const char* kAllDataItem = QT_TRANSLATE_NOOP("qa::AllDataPage", "ALL Data");
constexpr int kPeriodItems = 13;      // "ALL", then 1 to 12 weeks
constexpr int kPatientColumn = 5;     // of the HbA1c list
constexpr int kEagColumn = 4;         // of the HbA1c list
constexpr int kPatientNameColumn = 6; // of the HbA1c list, the first optional one
// From the bottom of the list card (in the page picture) to the bottom of the page, and
// the card's inner margin.
constexpr int kCardBottomSpace = 67 + 8;

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

std::chrono::sys_days ToDays(const QDate& date) {
    using namespace std::chrono;
    return sys_days{year{date.year()} / month{static_cast<unsigned>(date.month())} /
                    day{static_cast<unsigned>(date.day())}};
}

QDate ToQDate(std::chrono::sys_days days) {
    std::chrono::year_month_day ymd{days};
    return QDate(static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
                 static_cast<int>(static_cast<unsigned>(ymd.day())));
}

QLabel* AddLabel(QWidget* parent, const QString& text, const QRect& place, Qt::Alignment alignment,
                 const char* name) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(place);
    label->setAlignment(alignment);
    // The labels sit on the white card of the background picture and show it through.
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setAutoFillBackground(false);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0x1f, 0x2a, 0x37));
    label->setPalette(palette);
    return label;
}

QComboBox* AddCombo(QWidget* parent, const QRect& place, const char* name) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setGeometry(place);
    return combo;
}

QDateEdit* AddPicker(QWidget* parent, const QRect& place, const char* name) {
    auto* picker = new QDateEdit(parent);
    picker->setObjectName(name);
    picker->setGeometry(place);
    picker->setCalendarPopup(true);
    picker->setAlignment(Qt::AlignCenter);
    return picker;
}

// The hidden operator-ID list: "ALL Data", then the list's patient IDs. Texts are made when
// asked for, so a clinic's hundreds of thousands of IDs cost no item object each; and the
// IDs are read only when the list drops down, never while the page opens.
class PatientIdModel : public QAbstractListModel {
public:
    explicit PatientIdModel(QObject* parent) : QAbstractListModel(parent) {}

    void SetSource(std::function<std::vector<std::string>()> source) {
        beginResetModel();
        ids_.clear();
        source_ = std::move(source);
        endResetModel();
    }
    void Fill() {
        if (!source_) {
            return;
        }
        std::vector<std::string> ids = source_();
        source_ = nullptr;
        if (ids.empty()) {
            return;
        }
        beginInsertRows({}, 1, static_cast<int>(ids.size()));
        ids_ = std::move(ids);
        endInsertRows();
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(ids_.size()) + 1;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole) ||
            index.row() > static_cast<int>(ids_.size())) {
            return {};
        }
        return index.row() == 0
                   ? QCoreApplication::translate("qa::AllDataPage", kAllDataItem)
                   : QString::fromStdString(ids_[static_cast<std::size_t>(index.row() - 1)]);
    }

    // Typing into the open list searches for the next ID that starts with the text typed. The
    // base class makes a QString of every ID it passes, nearly a million of them in a clinic's
    // list; here an ID is compared as bytes when it and the text are ASCII where they meet,
    // folding case as QString does there, and as a QString otherwise.
    QModelIndexList match(const QModelIndex& start, int role, const QVariant& value, int hits,
                          Qt::MatchFlags flags) const override {
        const QString text = value.toString();
        const bool ascii =
            std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
        if ((flags & Qt::MatchTypeMask) != Qt::MatchStartsWith || (flags & Qt::MatchRecursive) ||
            (role != Qt::DisplayRole && role != Qt::EditRole) || start.parent().isValid() ||
            start.column() != 0 || !ascii) {
            return QAbstractListModel::match(start, role, value, hits, flags);
        }
        const Qt::CaseSensitivity cs =
            flags & Qt::MatchCaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
        const std::string typed = text.toStdString();
        auto startsWith = [&](int row) {
            if (row == 0) {
                return data(index(0), role).toString().startsWith(text, cs);
            }
            const std::string& id = ids_[static_cast<std::size_t>(row - 1)];
            if (id.size() < typed.size()) {
                return false;
            }
            for (std::size_t i = 0; i < typed.size(); ++i) {
                const unsigned char c = static_cast<unsigned char>(id[i]);
                if (c >= 0x80) { // a byte of a wider character: QString decides
                    return QString::fromStdString(id).startsWith(text, cs);
                }
                const unsigned char t = static_cast<unsigned char>(typed[i]);
                if (c != t && (cs == Qt::CaseSensitive || std::tolower(c) != std::tolower(t))) {
                    return false;
                }
            }
            return true;
        };
        QModelIndexList found;
        const int rows = rowCount();
        const int from = std::clamp(start.row(), 0, rows);
        const bool wrap = flags & Qt::MatchWrap;
        for (int pass = 0; pass < (wrap ? 2 : 1); ++pass) {
            const int first = pass == 0 ? from : 0;
            const int end = pass == 0 ? rows : from;
            for (int row = first; row < end && (hits == -1 || found.size() < hits); ++row) {
                if (startsWith(row)) {
                    found.append(index(row));
                }
            }
        }
        return found;
    }

private:
    std::vector<std::string> ids_;
    std::function<std::vector<std::string>()> source_; // until the IDs are read
};

// An ID that "ALL Data" begins with, ignoring case, is left out of the list.
bool NamesAllData(const std::string& id) {
    static const QString all = Utf8(kAllDataItem);
    if (id.size() > static_cast<std::size_t>(all.size()) &&
        std::all_of(id.begin(), id.end(), [](char c) { return (c & 0x80) == 0; })) {
        return false; // longer than the item in any case
    }
    return all.startsWith(QString::fromStdString(id), Qt::CaseInsensitive);
}

// The list's texts, read by row number when the list shows a row, and the colour of its
// number cell from the delivery state of its result.
class StoredRowSource : public views::ListRowSource {
public:
    StoredRowSource(const ResultListIndex& index, ResultKind kind, std::string operatorId)
        : index_(index), kind_(kind), operatorId_(std::move(operatorId)) {}

    std::vector<std::string> RowCells(int key) override {
        std::vector<std::string> cells;
        // A row that cannot be read shows its number alone, as one deleted meanwhile.
        const Expected<bool> read = index_.Read(key, row_, cells);
        found_ = read && *read;
        key_ = key;
        AppendOptionalCells(found_ ? &row_ : nullptr, cells);
        return cells;
    }
    // The texts of the optional columns for a row's stored values (null: a row no longer
    // stored): name and memo as entered in Data Modify (the memo on one line), then the
    // delivery state.
    void AppendOptionalCells(const ListRow* row, std::vector<std::string>& cells) const {
        if (kind_ == ResultKind::HbA1c) {
            std::string memo = row ? row->memo : std::string();
            std::erase(memo, '\r');
            std::replace(memo.begin(), memo.end(), '\n', ' ');
            cells.push_back(row ? row->patientName : std::string());
            cells.push_back(std::move(memo));
        }
        cells.push_back(row ? DeliveryText(*row) : std::string());
    }
    QColor FirstCellBackground(int key) override {
        if (!states_) {
            return {};
        }
        if (key != key_) {
            std::vector<std::string> cells;
            const Expected<bool> read = index_.Read(key, row_, cells);
            found_ = read && *read;
            key_ = key;
        }
        if (!found_) {
            return {};
        }
        return DeliveryPanel::StateColor(
            AllDataPage::DeliveryOf(*states_, operatorId_, kind_, row_).state);
    }
    std::string DeliveryText(const ListRow& row) const {
        if (!states_) {
            return "";
        }
        return AllDataPage::DeliveryStateName(
                   AllDataPage::DeliveryOf(*states_, operatorId_, kind_, row))
            .toStdString();
    }
    void SetStates(std::optional<std::unordered_map<std::string, interop::ResultDelivery>> states) {
        states_ = std::move(states);
    }
    bool HasStates() const { return states_.has_value(); }

private:
    const ResultListIndex& index_;
    ResultKind kind_;
    std::string operatorId_;
    std::optional<std::unordered_map<std::string, interop::ResultDelivery>> states_;
    int key_ = -1;
    bool found_ = false;
    ListRow row_;
};

} // namespace

AllDataPage::AllDataPage(UserStore& users, Prompter& prompter, FileService& files,
                         PrintDialogService* print, FrameCommandFn command, QWidget* parent)
    : FormPage(178, std::move(command), parent), users_(users), prompter_(prompter), files_(files),
      print_(print) {
    InitialUpdate();
}

AllDataPage::~AllDataPage() {
    // Only the layout is lost when the profile cannot be written: the next start shows the
    // columns at their standard widths.
    (void)list_->SaveColumnState();
}

void AllDataPage::InitialUpdate() {
    AddNavigation(FrameCommand::ViewData);

    userLabel_ = AddLabel(this, tr("사용자ID"), QRect(60, 150, 60, 25),
                          Qt::AlignLeft | Qt::AlignVCenter, "static1010");
    userList_ = AddCombo(this, QRect(126, 150, 115, 25), "combo1185");
    kindList_ = AddCombo(this, QRect(247, 150, 115, 25), "combo1062");
    periodList_ = AddCombo(this, QRect(368, 150, 115, 25), "combo1059");
    startPicker_ = AddPicker(this, QRect(489, 150, 115, 25), "date1200");
    tilde_ =
        AddLabel(this, "~", QRect(610, 160, 10, 25), Qt::AlignLeft | Qt::AlignTop, "static1012");
    endPicker_ = AddPicker(this, QRect(626, 150, 115, 25), "date1201");
    searchButton_ = AddImageButton(182, tr("검색"), QRect(747, 145, 63, 35));
    printButton_ = AddImageButton(180, tr("프린트"), QRect(816, 145, 63, 35));
    exportButton_ = AddImageButton(181, tr("내보내기"), QRect(885, 145, 63, 35));
    searchButton_->setObjectName("button1060");
    printButton_->setObjectName("button1167");
    exportButton_->setObjectName("button1007");

    // The patient- and operator-ID filters are never shown; the search is composed as if
    // both stood on "ALL Data".
    patientIdList_ = AddCombo(this, QRect(60, 110, 115, 25), "combo1058");
    operatorIdList_ = AddCombo(this, QRect(180, 110, 115, 25), "combo1061");
    patientIdLabel_ =
        AddLabel(this, tr("PID"), QRect(300, 110, 40, 25), Qt::AlignLeft, "staticPid");
    operatorIdLabel_ =
        AddLabel(this, tr("Patient ID"), QRect(340, 110, 80, 25), Qt::AlignLeft, "staticPatientId");
    for (QWidget* hidden : std::initializer_list<QWidget*>{patientIdList_, operatorIdList_,
                                                           patientIdLabel_, operatorIdLabel_}) {
        hidden->hide();
    }

    comboFont_ = QFont(QStringLiteral("Malgun Gothic"), 10);
    for (QComboBox* combo : {patientIdList_, periodList_, kindList_}) {
        combo->setFont(comboFont_);
    }
    patientIdList_->addItem(tr(kAllDataItem));
    patientIdList_->setCurrentIndex(0);
    operatorIds_ = new PatientIdModel(operatorIdList_);
    operatorIdList_->setModel(operatorIds_);
    operatorIdList_->view()->installEventFilter(this);
    kindList_->addItems({tr("HbA1c"), tr("Glucose")});
    kindList_->setCurrentIndex(0);
    for (int item = 0; item < kPeriodItems; ++item) {
        periodList_->addItem(PeriodText(item));
    }
    periodList_->setCurrentIndex(0);
    // Shown while a date-range search, which no period item describes, narrows the list.
    periodList_->setPlaceholderText(tr("Dates"));

    list_ = new views::DataListView(this);
    list_->setObjectName("allDataList");
    list_->SetControlId(1001);
    list_->setGeometry(60, 190, 894, 467);
    // One 1 x 32 image per row sets the row height of the list and of its header.
    list_->SetSmallIconWidth(1);
    list_->SetRowHeight(32);
    list_->Header()->setMinimumHeight(32);
    listFont_ = QFont(QStringLiteral("Malgun Gothic"));
    listFont_.setPixelSize(15);
    listFont_.setWeight(QFont::DemiBold);
    listFont_.setStyleHint(QFont::SansSerif, QFont::PreferQuality);
    list_->setFont(listFont_);
    list_->Header()->setFont(listFont_);
    list_->setShowGrid(true);
    list_->Header()->setSectionsMovable(true);
    // Delete and record capture depend on which row was clicked: one row at a time.
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    BuildColumns();
    AddDeliveryPanel();
    AddSearchField();
    ArrangeControls();

    connect(searchButton_, &QPushButton::clicked, this, [this] { Search(); });
    connect(printButton_, &QPushButton::clicked, this, [this] { PrintList(); });
    connect(exportButton_, &QPushButton::clicked, this, [this] { ExportList(); });
    connect(periodList_, &QComboBox::activated, this, [this](int item) { ChoosePeriod(item); });
    connect(kindList_, &QComboBox::activated, this, [this](int item) { ChooseKind(item); });
    connect(userList_, &QComboBox::activated, this, [this](int item) { ChooseUser(item); });
    connect(list_, &views::DataListView::rowDoubleClicked, this, [this](int row, int column) {
        // The patient column opens the patient's history; elsewhere a double-click deletes.
        if (kind_ == ResultKind::HbA1c && column == kPatientColumn) {
            if (const ListRow* clicked = RowAt(row)) {
                OpenPatientHistory(clicked->patientId);
            }
            return;
        }
        DeleteRow(row, column);
    });
    connect(list_, &views::DataListView::rowRightClicked, this,
            [this](int row, int column) { CaptureRecord(row, column); });
    // The Delete key does what a double-click does, on the selected row.
    list_->installEventFilter(this);
    // A column shown or hidden is kept at once, as a width is when the page is left.
    connect(list_->Header(), &views::DataListHeader::columnChoiceChanged, this,
            [this](int column, bool visible) {
                if (visible && kind_ == ResultKind::HbA1c && column == kPatientNameColumn) {
                    PlaceNameBesideTheResult();
                }
                (void)list_->SaveColumnState();
            });
}

void AllDataPage::PlaceNameBesideTheResult() {
    // The name goes next to the patient ID. Where the two would end beyond the list's right
    // edge (a 1024-pixel window at 150 % shows little more than the kind's own columns),
    // they move in front of the eAG, so the result, the ID and the name are seen together
    // without scrolling.
    QHeaderView* header = list_->Header();
    header->moveSection(header->visualIndex(kPatientNameColumn),
                        header->visualIndex(kPatientColumn) + 1);
    const int nameEnd =
        header->sectionPosition(kPatientNameColumn) + header->sectionSize(kPatientNameColumn);
    const int eag = header->visualIndex(kEagColumn);
    if (nameEnd > list_->viewport()->width() && eag < header->visualIndex(kPatientColumn)) {
        header->moveSection(header->visualIndex(kPatientColumn), eag);
        header->moveSection(header->visualIndex(kPatientNameColumn), eag + 1);
    }
}

void AllDataPage::hideEvent(QHideEvent* event) {
    // Leaving the page keeps the layout the operator left it in.
    if (list_ != nullptr && list_->ColumnCount() > 0) {
        (void)list_->SaveColumnState();
    }
    FormPage::hideEvent(event);
}

void AllDataPage::ArrangeControls() {
    // The filter row keeps the widths of the page it was drawn for; the commands move with
    // the list's right edge and the list takes what the window gives.
    auto* filters = new QHBoxLayout;
    filters->setSpacing(6);
    AcceptTypedDates(startPicker_);
    AcceptTypedDates(endPicker_);
    for (QWidget* control : std::initializer_list<QWidget*>{
             userLabel_, userList_, kindList_, periodList_, startPicker_, tilde_, endPicker_}) {
        control->setFixedSize(control->size());
        filters->addWidget(control);
    }
    filters->addStretch(1);
    for (QWidget* command :
         std::initializer_list<QWidget*>{searchButton_, printButton_, exportButton_}) {
        filters->addWidget(command);
    }
    filters->addSpacing(6);
    Body()->addSpacing(3);
    Body()->addLayout(filters);
    Body()->addSpacing(6);
    auto* search = new QHBoxLayout;
    searchField_->setFixedSize(searchField_->size());
    resultCount_->setMinimumWidth(resultCount_->width());
    search->addWidget(searchField_);
    search->addSpacing(4);
    search->addWidget(resultCount_);
    search->addStretch(1);
    Body()->addLayout(search);
    Body()->addSpacing(6);
    Body()->addWidget(list_, 1);
    Body()->addSpacing(5);
    delivery_->setMinimumHeight(delivery_->height());
    Body()->addWidget(delivery_);
    // The laboratory row stays on the list's card, clear of the footer under it.
    QMargins margins = Body()->contentsMargins();
    margins.setBottom(kCardBottomSpace);
    Body()->setContentsMargins(margins);

    QWidget* previous = NavButton(FrameCommand::Settings);
    for (QWidget* next : std::initializer_list<QWidget*>{
             userList_, kindList_, periodList_, startPicker_, endPicker_, searchButton_,
             printButton_, exportButton_, searchField_, list_}) {
        setTabOrder(previous, next);
        previous = next;
    }
}

QString AllDataPage::ColumnLayoutScope() const {
    // Per operator and per kind: the kinds have different columns.
    return QString::fromLatin1(kind_ == ResultKind::HbA1c ? "HbA1c-" : "Glucose-") +
           QString::fromStdString(users_.ActiveUserId());
}

void AllDataPage::BuildColumns() {
    // The columns being replaced keep their layout: widths, order and the columns shown.
    if (list_->ColumnCount() > 0) {
        (void)list_->SaveColumnState();
    }
    list_->DeleteAllRows();
    list_->DeleteAllColumns();
    list_->SetLayoutScope(ColumnLayoutScope());
    struct Column {
        const char* heading;
        int width;
    };
    static const Column kHbA1c[] = {{QT_TRANSLATE_NOOP("qa::ListHeading", "No."), 80},
                                    {QT_TRANSLATE_NOOP("qa::ListHeading", "Date"), 150},
                                    {QT_TRANSLATE_NOOP("qa::ListHeading", "Time"), 100},
                                    {QT_TRANSLATE_NOOP("qa::ListHeading", "Result"), 180},
                                    {QT_TRANSLATE_NOOP("qa::ListHeading", "eAG"), 180},
                                    {QT_TRANSLATE_NOOP("qa::ListHeading", "Patient ID"), 180}};
    static const Column kGlucose[] = {{QT_TRANSLATE_NOOP("qa::ListHeading", "No."), 80},
                                      {QT_TRANSLATE_NOOP("qa::ListHeading", "Date"), 150},
                                      {QT_TRANSLATE_NOOP("qa::ListHeading", "Time"), 100},
                                      {QT_TRANSLATE_NOOP("qa::ListHeading", "Result"), 200}};
    const Column* columns = kind_ == ResultKind::HbA1c ? kHbA1c : kGlucose;
    const int count = kind_ == ResultKind::HbA1c ? 6 : 4;
    for (int c = 0; c < count; ++c) {
        list_->InsertColumn(c, Utf8(columns[c].heading), Qt::AlignCenter, columns[c].width);
    }
    for (int c = 0; c < count; ++c) {
        list_->SetColumnSort(c, views::SortToggle, 1);
    }
    AddOptionalColumns(count);
    list_->SetColumnHideable(0, false);
    // A layout saved for the other kind has another column count and is ignored.
    list_->RestoreColumnState();
}

void AllDataPage::AddOptionalColumns(int first) {
    // Hidden until the operator shows them from the header menu (the exports and the report
    // print the columns shown, so their default stays as it was); a layout saved before they
    // existed has fewer columns and is not applied, so they start hidden there too.
    // Named by their catalogue keys, as the kind's own columns are, so the headings follow
    // the language.
    std::vector<std::pair<const char*, int>> extra;
    if (kind_ == ResultKind::HbA1c) {
        extra = {{QT_TRANSLATE_NOOP("qa::ListHeading", "Patient name"), 150},
                 {QT_TRANSLATE_NOOP("qa::ListHeading", "Memo"), 200}};
    }
    extra.emplace_back(QT_TRANSLATE_NOOP("qa::ListHeading", "Delivery"), 100);
    int column = first;
    for (const auto& [heading, width] : extra) {
        list_->InsertColumn(column, Utf8(heading), Qt::AlignCenter, width);
        list_->SetColumnSort(column, views::SortToggle, 5);
        list_->SetColumnVisible(column, false);
        ++column;
    }
}

MeasurementTable& AllDataPage::Table() {
    if (kind_ == ResultKind::HbA1c) {
        return users_.HbA1cMain();
    }
    return users_.GlucoseMain();
}

void AllDataPage::ApplyFilter(const std::string& filter) {
    MeasurementTable& table = Table();
    periodFilter_ = filter;
    const std::string combined = JoinConditions(
        filter, searchedPatient_.empty() ? std::string() : PatientIdCondition(searchedPatient_));
    if (combined.empty()) {
        table.filter.Clear();
    } else {
        table.filter = combined;
    }
    // The list loaded next reads the table and shows what the query gave, nothing when
    // it failed.
    (void)table.Requery();
}

void AllDataPage::ApplyPickerFormat() {
    QString format = QString::fromStdString(DatePickerQtFormat(users_.Settings().dateFormat));
    if (format.isEmpty()) {
        format = QStringLiteral("yyyy-MM-dd");
    }
    startPicker_->setDisplayFormat(format);
    endPicker_->setDisplayFormat(format);
}

QDate AllDataPage::Today() const {
    return today_ ? today_() : QDate::currentDate();
}

const ListRow* AllDataPage::RowAt(int listRow) const {
    if (listRow < 0 || listRow >= list_->RowCount()) {
        return nullptr;
    }
    // The number column names the loaded row, so a list that was reordered on the screen
    // still deletes or opens the row the operator clicked.
    const int number = std::atoi(list_->CellTextUtf8(listRow, 0).c_str());
    if (number < 1 || number > index_.Count()) {
        return nullptr;
    }
    std::vector<std::string> cells;
    // A row no longer stored (or unreadable) names nothing to delete or change: its empty
    // values would match other rows.
    const Expected<bool> read = index_.Read(number - 1, fetched_, cells);
    if (!read || !*read) {
        return nullptr;
    }
    return &fetched_;
}

std::vector<ListRow> AllDataPage::Rows() const {
    std::vector<ListRow> rows(static_cast<std::size_t>(index_.Count()));
    std::vector<std::string> cells;
    for (int i = 0; i < index_.Count(); ++i) {
        // A row not read keeps only its number, as the list shows it.
        (void)index_.Read(i, rows[static_cast<std::size_t>(i)], cells);
    }
    return rows;
}

void AllDataPage::Activate() {
    searchedPatient_.clear();
    searchField_->clear();
    periodFilter_.clear();
    periodFrom_.clear();
    periodTo_.clear();
    periodList_->setCurrentIndex(0);
    kindList_->setCurrentIndex(static_cast<int>(kind_));
    listFiltered_ = false;
    keepFilter_ = false;
    BuildColumns();
    LoadList();
    ResetDatePickers();
    delivery_->ShowPending();
}

void AllDataPage::LoadList() {
    // Another operator (chosen here, in the settings or in the "Get data" dialog) has a
    // column layout of their own.
    if (list_->LayoutScope() != ColumnLayoutScope()) {
        BuildColumns();
    }
    // A capture names a row of the list being replaced: the next menu captures afresh.
    hasSelected_ = false;
    selected_ = ListRow{};
    SyncUserBox();
    operatorIdList_->setCurrentIndex(0);
    static_cast<PatientIdModel*>(operatorIds_)->SetSource(nullptr);
    list_->DeleteAllRows();
    index_.Clear();
    ApplyPickerFormat();
    if (!keepFilter_) {
        // This load reads the table unfiltered: neither the field nor the period box may
        // claim a narrower list.
        const QSignalBlocker quiet(searchField_);
        searchField_->clear();
        searchedPatient_.clear();
        searchedText_.clear();
        periodFilter_.clear();
        periodFrom_.clear();
        periodTo_.clear();
        periodList_->setCurrentIndex(0);
    }
    MeasurementTable& table = Table();
    if (!table.IsOpen()) {
        keepFilter_ = false;
        operatorIdList_->setCurrentIndex(0);
        return;
    }
    // Only the row ids are read now; the list reads a row's texts when it shows the row.
    if (const Status loaded = index_.Load(table, users_.Settings(), keepFilter_); !loaded) {
        // An empty list would read as a file without results.
        prompter_.Inform(loaded.error(), kCaption, Prompter::Severity::Warning);
    }
    if (!index_.NewestDate().empty()) {
        newestDate_ = index_.NewestDate();
    }
    if (kind_ == ResultKind::HbA1c) {
        static_cast<PatientIdModel*>(operatorIds_)->SetSource([this] {
            std::vector<std::string> ids = index_.PatientIds();
            ids.erase(std::remove_if(ids.begin(), ids.end(), NamesAllData), ids.end());
            return ids;
        });
    }
    rowSource_ = std::make_shared<StoredRowSource>(index_, kind_, users_.ActiveUserId());
    list_->SetRowSource(rowSource_, index_.Count());
    if (list_->RowCount() > 0) {
        list_->SelectRow(0);
    }
    keepFilter_ = false;
    operatorIdList_->setCurrentIndex(0);
    MarkDeliveryStates();
    ShowResultCount();
}

void AllDataPage::SyncUserBox() {
    userList_->clear();
    int current = 0;
    const auto& ids = users_.UserList();
    // The user whose files are open, which is the default user when the current one cannot
    // be used: the box must name the user the list shows.
    const std::string active = users_.ActiveUserId();
    for (std::size_t i = 0; i < ids.size(); ++i) {
        userList_->addItem(QString::fromStdString(ids[i]));
        if (ids[i] == active && current == 0) {
            current = static_cast<int>(i);
        }
    }
    userList_->setCurrentIndex(userList_->count() > 0 ? current : -1);
}

void AllDataPage::ResetDatePickers() {
    SyncUserBox();

    if (newestDate_.empty()) {
        newestDate_ = StoredDateText(ToDays(Today()));
    }
    // A stored date that names no day (a damaged row) would leave the pickers anywhere.
    auto newest = ParseStoredDate(newestDate_);
    const QDate end = newest ? ToQDate(*newest) : Today();
    ApplyPickerFormat();
    endPicker_->setDate(end);
    startPicker_->setDate(end.addDays(-7));
}

void AllDataPage::Search() {
    const Expected<std::string> search =
        SearchFilter(ToDays(startPicker_->date()), ToDays(endPicker_->date()));
    if (!search) {
        prompter_.Inform(search.error(), kCaption, Prompter::Severity::Warning);
        return;
    }
    ApplyFilter(*search);
    periodFrom_ = StoredDateText(ToDays(startPicker_->date()));
    periodTo_ = StoredDateText(ToDays(endPicker_->date()));
    keepFilter_ = true;
    listFiltered_ = true;
    LoadList();
    // No period item covers these dates: the box steps aside for the pickers that do.
    periodList_->setCurrentIndex(-1);
}

void AllDataPage::ChoosePeriod(int item) {
    if (item < 0 || item >= kPeriodItems) {
        return;
    }
    periodList_->setCurrentIndex(item);
    // Before any load has found a row the period counts back from today.
    auto newest = ParseStoredDate(newestDate_);
    const auto end = newest ? *newest : ToDays(Today());
    ApplyFilter(PeriodFilter(end, item));
    periodFrom_ = item == 0 ? "" : StoredDateText(end - std::chrono::days{7 * item});
    periodTo_ = item == 0 ? "" : StoredDateText(end);
    keepFilter_ = true;
    listFiltered_ = true;
    LoadList();
    if (item > 0) {
        // The pickers show the days the period covers.
        startPicker_->setDate(ToQDate(end - std::chrono::days{7 * item}));
        endPicker_->setDate(ToQDate(end));
    }
}

void AllDataPage::ChooseKind(int item) {
    kind_ = item == 0 ? ResultKind::HbA1c : ResultKind::Glucose;
    kindList_->setCurrentIndex(static_cast<int>(kind_));
    BuildColumns();
    periodList_->setCurrentIndex(0);
    ApplyFilter("");
    periodFrom_.clear();
    periodTo_.clear();
    // The search stays and applies to the other kind's results.
    keepFilter_ = !searchedPatient_.empty();
    LoadList();
}

void AllDataPage::ChooseUser(int item) {
    const auto& ids = users_.UserList();
    const std::string chosen = userList_->itemText(item).toStdString();
    std::string id;
    for (const std::string& candidate : ids) {
        if (candidate == chosen) {
            id = candidate;
            break;
        }
    }
    if (id.empty() && item >= 0 && item < static_cast<int>(ids.size())) {
        id = ids[static_cast<std::size_t>(item)];
    }
    if (!id.empty()) {
        (void)users_.SwitchUser(id); // says itself what went wrong
    }
    periodList_->setCurrentIndex(0);
    kindList_->setCurrentIndex(static_cast<int>(kind_));
    listFiltered_ = false;
    keepFilter_ = false;
    searchedPatient_.clear();
    searchField_->clear();
    periodFilter_.clear();
    periodFrom_.clear();
    periodTo_.clear();
    LoadList();
    ResetDatePickers();
}

void AllDataPage::DeleteRow(int row, int column) {
    if (listFiltered_ || row < 0 || column < 0) {
        return;
    }
    const ListRow* clicked = RowAt(row);
    if (clicked == nullptr) {
        return;
    }
    const ListRow record = *clicked;
    if (RefuseChange()) {
        return;
    }
    if (!prompter_.ConfirmDefaultNo(Message::Verbatim(DeleteQuestion(row)), kCaption)) {
        return;
    }
    if (const Status deleted = DeleteRecord(Table(), record); !deleted) {
        prompter_.Inform(Message::Verbatim(tr(kDeleteFailedText).toStdString() + "\r\n" +
                                           MessageUtf8(deleted.error())),
                         kCaption, Prompter::Severity::Error);
        return;
    }
    // The neighbour of the deleted row takes its place, under the same period and search.
    ReloadKeepingView(-1, row);
}

std::string AllDataPage::DeleteQuestion(int row) const {
    // What the operator sees in the row, so the question names the record being deleted.
    auto cell = [&](int column) { return list_->CellTextUtf8(row, column); };
    QString text = tr(kDeleteQuestion) + "\r\n\r\n" +
                   tr("Date: %1   Time: %2\r\nResult: %3")
                       .arg(QString::fromStdString(cell(1)), QString::fromStdString(cell(2)),
                            QString::fromStdString(cell(3)));
    if (kind_ == ResultKind::HbA1c && list_->ColumnCount() > 5) {
        text += "\r\n" + tr("Patient ID: %1").arg(QString::fromStdString(cell(5)));
    }
    return text.toStdString();
}

void AllDataPage::CaptureRecord(int row, int column) {
    // Every request captures afresh: a row that names no record leaves nothing captured, so
    // the menu cannot open the record of an earlier click.
    hasSelected_ = false;
    selected_ = ListRow{};
    if (row < 0 || column < 0 || kind_ != ResultKind::HbA1c) {
        return;
    }
    if (const ListRow* clicked = RowAt(row)) {
        selected_ = *clicked;
        hasSelected_ = true;
    }
}

void AllDataPage::contextMenuEvent(QContextMenuEvent* event) {
    // The position is the page's own here, whichever child the request started in.
    RequestRecordMenu(event->pos(), event->reason() == QContextMenuEvent::Keyboard);
    event->accept();
}

void AllDataPage::RequestRecordMenu(const QPoint& pagePos, bool fromKeyboard) {
    int row = -1;
    QPoint at = mapToGlobal(pagePos);
    if (fromKeyboard) {
        // The Menu key acts on the row the keyboard is on, and the menu opens beside it.
        std::vector<int> selected = list_->SelectedRows();
        row = !selected.empty() ? selected.front() : list_->FocusedRow();
        if (row >= 0) {
            const QRect place = list_->visualRect(list_->model()->index(row, 0));
            at = list_->viewport()->mapToGlobal(place.center());
        }
    } else {
        const QPoint local = list_->viewport()->mapFrom(this, pagePos);
        if (list_->viewport()->rect().contains(local)) {
            row = list_->indexAt(local).row();
        }
    }
    CaptureRecord(row, row >= 0 ? 0 : -1);
    ShowRecordMenu(at);
}

bool AllDataPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == operatorIdList_->view() && event->type() == QEvent::Show) {
        static_cast<PatientIdModel*>(operatorIds_)->Fill();
    }
    if (watched == list_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        std::vector<int> selected = list_->SelectedRows();
        if (!selected.empty()) {
            DeleteRow(selected.front(), 0);
        }
        return true;
    }
    return FormPage::eventFilter(watched, event);
}

void AllDataPage::ShowRecordMenu(const QPoint& globalPos) {
    if (kind_ != ResultKind::HbA1c) {
        return;
    }
    QMenu menu(window());
    QAction* modify = menu.addAction(tr(kMenuModifyText));
    modify->setData(kMenuModify);
    QAction* view = menu.addAction(tr(kMenuViewText));
    view->setData(kMenuView);
    QAction* history = menu.addAction(tr("Patient history"));
    history->setData(kMenuPatientHistory);
    // Without a captured record there is nothing to show or change.
    modify->setEnabled(hasSelected_);
    view->setEnabled(hasSelected_);
    history->setEnabled(hasSelected_);
    QAction* chosen = menuRunner_ ? menuRunner_(menu, globalPos) : menu.exec(globalPos);
    if (chosen == modify) {
        ModifySelectedRecord();
    } else if (chosen == view) {
        ShowSelectedRecord();
    } else if (chosen == history && hasSelected_) {
        OpenPatientHistory(selected_.patientId);
    }
}

void AllDataPage::OpenPatientHistory(const std::string& patientId) {
    PatientPage page(users_, prompter_, print_, patientId, this);
    if (today_) {
        page.SetToday(today_);
        (void)page.Reload();
    }
    dialogRunner_ ? dialogRunner_(page) : page.exec();
}

void AllDataPage::ShowSelectedRecord() {
    if (!hasSelected_) {
        return;
    }
    views::RecordViewDialog dialog(selected_, users_.Settings(), this);
    dialogRunner_ ? dialogRunner_(dialog) : dialog.exec();
}

bool AllDataPage::RefuseChange() {
    if (!users_.HbA1cMain().IsReadOnly()) {
        return false;
    }
    // Before the question or the dialog: nothing the operator types there could be kept.
    prompter_.Inform(
        Message::Verbatim(tr(kReadOnlyMediaText)
                              .arg(QString::fromStdString(DecodeStoredText(users_.DataFolder())))
                              .toStdString()),
        kCaption, Prompter::Severity::Warning);
    return true;
}

void AllDataPage::ModifySelectedRecord() {
    if (!hasSelected_ || RefuseChange()) {
        return;
    }
    views::RecordModifyDialog dialog(selected_, users_.Settings(), prompter_, this);
    const int result = dialogRunner_ ? dialogRunner_(dialog) : dialog.exec();
    if (result != QDialog::Accepted) {
        return;
    }
    const int rowId = selected_.rowId;
    std::vector<int> selectedRows = list_->SelectedRows();
    const int listRow = selectedRows.empty() ? -1 : selectedRows.front();
    // With nothing captured the dialog showed an empty record, which names no stored row.
    if (hasSelected_) {
        const RecordEdit& edit = dialog.Edit();
        if (const Status modified =
                ModifyRecord(users_.HbA1cMain(), selected_, edit, selected_.rowId);
            modified) {
            // The record now holds the new details; a second change from the menu must still
            // find it.
            selected_.patientId = edit.patientId;
            selected_.patientName = edit.patientName;
            selected_.birthday = StoredBirthday(edit.birthday);
            selected_.diagnosis = edit.diagnosis;
            selected_.memo = edit.memo;
        } else {
            prompter_.Inform(Message::Verbatim(tr(kModifyFailedText).toStdString() + "\r\n" +
                                               MessageUtf8(modified.error())),
                             kCaption, Prompter::Severity::Warning);
        }
    }
    // The list the operator was working in, not the whole file: the period box and the search
    // field would otherwise describe rows no longer shown.
    ReloadKeepingView(rowId, listRow);
}

void AllDataPage::Refresh() {
    std::vector<int> selectedRows = list_->SelectedRows();
    const int listRow = selectedRows.empty() ? -1 : selectedRows.front();
    const ListRow* current = RowAt(listRow);
    ReloadKeepingView(current != nullptr ? current->rowId : -1, listRow);
}

void AllDataPage::ReloadKeepingView(int rowId, int listRow) {
    const bool dates = periodList_->currentIndex() < 0;
    ApplyFilter(periodFilter_);
    keepFilter_ = true;
    LoadList();
    if (dates) {
        periodList_->setCurrentIndex(-1);
    }
    int select = -1;
    if (rowId > 0) {
        const std::vector<int>& keys = list_->Model()->SourceKeys();
        for (std::size_t r = 0; r < keys.size(); ++r) {
            if (index_.RowId(keys[r]) == rowId) {
                select = static_cast<int>(r);
                break;
            }
        }
    }
    if (select < 0 && listRow >= 0 && list_->RowCount() > 0) {
        select = std::min(listRow, list_->RowCount() - 1);
    }
    if (select >= 0) {
        list_->SelectRow(select);
    }
}

int AllDataPage::PrintList() {
    if (print_ == nullptr) {
        return -1;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    views::ListViewReportSource source(*list_);
    ReportContext context;
    context.clinic = QString::fromStdString(users_.Settings().hospital);
    context.operatorId = QString::fromStdString(users_.ActiveUserId());
    context.subject =
        tr("Result kind: %1")
            .arg(kind_ == ResultKind::HbA1c ? QStringLiteral("HbA1c") : tr("Glucose"));
    context.period = ReportPeriodText(users_.Settings(), periodFrom_, periodTo_);
    if (!searchedPatient_.empty()) {
        // The reader of the paper must see whose results these are, and that they are one
        // patient's: the search names the ID, and the count of patients is counted, not
        // assumed.
        std::vector<std::string> ids;
        for (int row = 0; row < list_->RowCount() && ids.size() < 2; ++row) {
            if (const ListRow* stored = RowAt(row);
                stored != nullptr &&
                std::find(ids.begin(), ids.end(), stored->patientId) == ids.end()) {
                ids.push_back(stored->patientId);
            }
        }
        const int patients = static_cast<int>(ids.size());
        // Kept short: the line also holds the clinic and the period.
        context.subject =
            (kind_ == ResultKind::HbA1c ? QStringLiteral("HbA1c") : tr("Glucose")) +
            QStringLiteral("   ") +
            tr("Search: %1").arg(QString::fromStdString(DecodeStoredText(searchedPatient_))) +
            QStringLiteral(" (") +
            (patients == 1 ? tr("1 patient") : tr("%1 patients").arg(patients)) + QLatin1Char(')');
    }
    PrintTarget printedTo;
    const int result = PrintListReport(source, users_.Settings(), *print_, context,
                                       users_.DataFolder(), &printedTo);
    QApplication::restoreOverrideCursor();
    if (result == kPrintSpooled) {
        // A printer of the dialog may be "print to file": the file is where the list went.
        (void)AuditOutput(users_, audit_action::kPrint, kind_,
                          static_cast<std::size_t>(list_->RowCount()),
                          printedTo.file ? OutputPlace::File(printedTo.name.toStdString())
                                         : OutputPlace::Printer(printedTo.name.toStdString()));
    }
    if (result == kPrintNoPrinter) {
        // Otherwise the operator waits at the printer for a report that never comes.
        prompter_.Inform(Message::Verbatim(tr(kPrintFailedText).toStdString()), kCaption,
                         Prompter::Severity::Error);
    }
    return result;
}

void AllDataPage::AddSearchField() {
    searchField_ = new QLineEdit(this);
    searchField_->setObjectName("patientSearch");
    searchField_->setGeometry(60, 190, 240, 28);
    searchField_->setPlaceholderText(tr("Search patient ID or name"));
    searchField_->setClearButtonEnabled(true);
    resultCount_ = AddLabel(this, "", QRect(310, 190, 200, 28), Qt::AlignLeft | Qt::AlignVCenter,
                            "resultCount");
    // A search runs on Enter: a candidate question on every keystroke would interrupt the
    // typing. Emptying the field (its clear button) ends the search at once.
    connect(searchField_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.trimmed().isEmpty() && !searchedPatient_.empty()) {
            ApplySearch(QString());
        }
    });
    connect(searchField_, &QLineEdit::returnPressed, this, [this] { OpenSearchedPatient(); });
}

void AllDataPage::FocusSearch() {
    searchField_->setFocus(Qt::ShortcutFocusReason);
    searchField_->selectAll();
}

void AllDataPage::ApplySearch(const QString& text) {
    const QString typed = text.trimmed();
    std::string chosen;
    if (!typed.isEmpty()) {
        const Expected<PatientSearch> found = FindPatients(Table(), typed.toStdString());
        if (!found) {
            prompter_.Inform(found.error(), kCaption, Prompter::Severity::Warning);
            return;
        }
        const PatientSearch& search = *found;
        if (search.candidates.size() == 1) {
            chosen = search.candidates.front().patientId;
        } else if (search.candidates.empty()) {
            // No such patient: the list narrowed to the ID typed is empty and says so.
            chosen = typed.toStdString();
        } else {
            PatientChooser chooser(typed, search, users_.Settings(), this);
            const int result = dialogRunner_ ? dialogRunner_(chooser) : chooser.exec();
            chosen = result == QDialog::Accepted ? chooser.ChosenId() : std::string();
            if (chosen.empty()) {
                // Nothing chosen: the list and the field stay as they were.
                const QSignalBlocker quiet(searchField_);
                searchField_->setText(
                    searchedPatient_.empty()
                        ? QString()
                        : QString::fromStdString(DecodeStoredText(searchedPatient_)));
                return;
            }
        }
    }
    searchedPatient_ = chosen;
    searchedText_ = typed;
    {
        // The field names the patient listed, not the text that led to them.
        const QSignalBlocker quiet(searchField_);
        searchField_->setText(chosen.empty() ? QString()
                                             : QString::fromStdString(DecodeStoredText(chosen)));
    }
    const bool dates = periodList_->currentIndex() < 0;
    // The period chosen before stays; the search narrows it.
    ApplyFilter(periodFilter_);
    keepFilter_ = true;
    listFiltered_ = listFiltered_ || !chosen.empty();
    LoadList();
    if (dates) {
        periodList_->setCurrentIndex(-1);
    }
}

void AllDataPage::OpenSearchedPatient() {
    const QString typed = searchField_->text().trimmed();
    if (typed.isEmpty()) {
        return;
    }
    // Enter on the patient the list shows opens their page; any other text is a new search.
    if (!searchedPatient_.empty() &&
        typed == QString::fromStdString(DecodeStoredText(searchedPatient_))) {
        if (list_->RowCount() > 0) {
            OpenPatientHistory(searchedPatient_);
        }
        return;
    }
    ApplySearch(typed);
}

void AllDataPage::ShowResultCount() {
    const int count = list_->RowCount();
    if (count == 0 && !searchedPatient_.empty()) {
        resultCount_->setText(tr("No patient with this ID"));
        return;
    }
    resultCount_->setText(count == 1 ? tr("1 result") : tr("%1 results").arg(count));
}

void AllDataPage::AddDeliveryPanel() {
    delivery_ = new DeliveryPanel(users_, prompter_, this);
    delivery_->setGeometry(60, 662, 894, 30);
    // The HL7 and FHIR files hold what the list shows, as the CSV export does.
    delivery_->SetSelection([this] {
        std::vector<interop::StoredResult> results;
        const ResultKind kind = kind_;
        for (int row = 0; row < list_->RowCount(); ++row) {
            if (const ListRow* stored = RowAt(row)) {
                results.push_back(interop::FromListRow(kind, *stored));
            }
        }
        return results;
    });
    connect(delivery_, &DeliveryPanel::runFinished, this, [this] { MarkDeliveryStates(); });
    delivery_->SetAssignPatient([this](ResultKind kind, const std::string& resultId) {
        return AssignPatient(kind, resultId);
    });
}

bool AllDataPage::AssignPatient(ResultKind kind, const std::string& resultId) {
    MeasurementTable& table = kind == ResultKind::HbA1c
                                  ? static_cast<MeasurementTable&>(users_.HbA1cMain())
                                  : users_.GlucoseMain();
    Expected<std::optional<ListRow>> found = FindResultById(table, resultId);
    if (!found || !*found) {
        // Deleted since it was queued, or its file unreadable: the reason, when there is one.
        prompter_.Inform(found ? Message(MessageId::ResultNotFound, {resultId}) : found.error(),
                         kCaption, Prompter::Severity::Warning);
        Refresh();
        return false;
    }
    const ListRow row = std::move(**found);
    if (kind == ResultKind::HbA1c) {
        // The record's own modify dialog, as from the list's menu.
        selected_ = row;
        hasSelected_ = true;
        const std::string before = row.patientId;
        ModifySelectedRecord();
        return selected_.patientId != before;
    }
    // A glucose result carries a patient ID alone.
    QDialog dialog(this);
    dialog.setObjectName("glucosePatientDialog");
    dialog.setWindowTitle(tr("Patient of the glucose result"));
    auto* form = new QFormLayout(&dialog);
    form->addRow(tr("Result"),
                 new QLabel(QString::fromStdString(
                                FormatRecordDateTimeText(users_.Settings(), row.date, row.time) +
                                "   " + FormatGlucoseText(users_.Settings(), row.value)),
                            &dialog));
    auto* patientId =
        new QLineEdit(QString::fromStdString(DecodeStoredText(row.patientId)), &dialog);
    patientId->setObjectName("glucosePatientId");
    form->addRow(tr("Patient ID"), patientId);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    RecordEdit edit;
    edit.patientName = row.patientName;
    edit.memo = row.memo;
    connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        edit.patientId = patientId->text().trimmed().toStdString();
        if (edit.patientId.empty()) {
            patientId->setFocus();
            return;
        }
        if (std::optional<MessageId> refusal = RecordEditLimitMessage(edit)) {
            prompter_.Inform(*refusal, kCaption, Prompter::Severity::Warning);
            return;
        }
        dialog.accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if ((dialogRunner_ ? dialogRunner_(dialog) : dialog.exec()) != QDialog::Accepted ||
        edit.patientId == DecodeStoredText(row.patientId)) {
        return false;
    }
    const Status written = ModifyRecord(users_.GlucoseMain(), row, edit, row.rowId);
    if (!written) {
        prompter_.Inform(Message::Verbatim(tr(kModifyFailedText).toStdString() + "\r\n" +
                                           MessageUtf8(written.error())),
                         kCaption, Prompter::Severity::Warning);
    }
    Refresh();
    return written.ok();
}

QString AllDataPage::DeliveryStateName(const interop::ResultDelivery& delivery) {
    using interop::DeliveryState;
    const DeliveryState state = delivery.state;
    switch (delivery.kind) {
    case interop::MessageKind::Correction:
        return state == DeliveryState::Sent   ? tr("sent (corrected)")
               : state == DeliveryState::Held ? tr("correction held")
                                              : tr("correction pending");
    case interop::MessageKind::WrongPatient:
        return state == DeliveryState::Sent   ? tr("wrong-patient notice sent")
               : state == DeliveryState::Held ? tr("wrong-patient notice held")
                                              : tr("wrong-patient notice pending");
    case interop::MessageKind::Deletion:
        return state == DeliveryState::Sent   ? tr("deletion sent")
               : state == DeliveryState::Held ? tr("deletion held")
                                              : tr("deletion pending");
    case interop::MessageKind::Resend:
        return state == DeliveryState::Sent   ? tr("sent again")
               : state == DeliveryState::Held ? tr("resend held")
                                              : tr("resend pending");
    case interop::MessageKind::Original:
        break;
    }
    switch (state) {
    case DeliveryState::Sent:
        return tr("sent");
    case DeliveryState::Held:
        return tr("held");
    case DeliveryState::Pending:
        break;
    }
    return tr("pending");
}

interop::ResultDelivery
AllDataPage::DeliveryOf(const std::unordered_map<std::string, interop::ResultDelivery>& states,
                        const std::string& operatorId, ResultKind kind, const ListRow& row) {
    if (!row.resultId.empty()) {
        if (auto found = states.find(row.resultId); found != states.end()) {
            return found->second;
        }
    }
    auto found = states.find(interop::ControlId(operatorId, interop::FromListRow(kind, row)));
    return found == states.end() ? interop::ResultDelivery{} : found->second;
}

void AllDataPage::MarkDeliveryStates() {
    // The number cell of each row carries the delivery state in its colour, so the columns
    // (and with them the CSV file and the printout) stay as they are. The colour is worked
    // out with a row's texts when the list shows the row: marking a million rows up front
    // would stall the page.
    auto states = delivery_->States();
    if (rowSource_ && list_->Model()->HasRowSource()) {
        auto& source = static_cast<StoredRowSource&>(*rowSource_);
        if (states || source.HasStates()) {
            source.SetStates(std::move(states));
            list_->Model()->RefreshSourceRows();
        }
        return;
    }
    if (!states) {
        return;
    }
    const ResultKind kind = kind_;
    const std::string operatorId = users_.ActiveUserId();
    for (int row = 0; row < list_->RowCount(); ++row) {
        const ListRow* stored = RowAt(row);
        if (stored == nullptr) {
            continue;
        }
        list_->SetCellColors(
            row, 0, DeliveryPanel::StateColor(DeliveryOf(*states, operatorId, kind, *stored).state),
            QColor());
    }
}

void AllDataPage::ExportList() {
    ExportRowWriter rows;
    if (rowSource_ && list_->Model()->HasRowSource()) {
        // Straight from the table into the file, each line formatted in place as the command
        // line's export does, rather than through the list's texts a row at a time.
        rows = [this](const ExportColumns& columns, CsvFileWriter& writer,
                      const std::function<bool(int)>& progress, std::string& error) {
            // The page's index may be reloaded while the progress lets events through.
            const ResultListIndex index = index_;
            const std::shared_ptr<views::ListRowSource> keep = rowSource_;
            const auto& source = static_cast<const StoredRowSource&>(*keep);
            const std::vector<int> keys = list_->Model()->SourceKeys();
            ResultListIndex::ExtraCells extra;
            if (columns.columns.size() > static_cast<std::size_t>(columns.own)) {
                extra = [&columns, &source, optional = std::vector<std::string>()](
                            const ListRow* row, std::string& out) mutable {
                    optional.clear();
                    source.AppendOptionalCells(row, optional);
                    if (columns.padPatientId) {
                        out += ',';
                    }
                    for (std::size_t i = static_cast<std::size_t>(columns.own);
                         i < columns.columns.size(); ++i) {
                        const std::size_t start = out.size();
                        out +=
                            optional.at(static_cast<std::size_t>(columns.columns[i] - columns.own));
                        EndCsvCell(out, start);
                    }
                };
            }
            int done = 0;
            bool cancelled = false;
            const Status read = index.ForEachCsvLine(keys, extra, [&](std::string_view line) {
                writer.WriteLine(line);
                cancelled = !progress(++done);
                return !cancelled;
            });
            if (!read) {
                error = MessageUtf8(read.error());
            }
            return read.ok() && !cancelled;
        };
    }
    QString path =
        qa::ExportList(this, *list_, kind_, prompter_, files_, users_.DataFolder(), rows);
    if (!path.isEmpty()) {
        (void)AuditOutput(users_, audit_action::kExport, kind_,
                          static_cast<std::size_t>(list_->RowCount()),
                          OutputPlace::File(path.toStdString()));
    }
}

QString AllDataPage::PeriodText(int item) const {
    if (item == 0) {
        return tr("ALL");
    }
    return item == 1 ? tr("1 week") : tr("%1 weeks").arg(item);
}

void AllDataPage::changeEvent(QEvent* event) {
    FormPage::changeEvent(event);
    // The period items carry a number, so they are composed again rather than looked up.
    if (event->type() == QEvent::LanguageChange && periodList_ != nullptr) {
        for (int item = 0; item < periodList_->count(); ++item) {
            periodList_->setItemText(item, PeriodText(item));
        }
    }
}

} // namespace qa
