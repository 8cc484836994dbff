#pragma once

#include "interop/outbox.h"
#include "store/result_list.h"
#include "views/pages.h"

#include <QDate>
#include <QFont>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class QAction;
class QAbstractListModel;
class QComboBox;
class QDateEdit;
class QDialog;
class QLabel;
class QLineEdit;
class QMenu;

namespace qa {

class DeliveryPanel;
class MeasurementTable;
class PrintDialogService;

// The stored results of the current user, one kind at a time, newest first: switch user and
// kind, narrow to a week count or a date range, delete a row, view or change one HbA1c record,
// print and export what the list shows.
class AllDataPage : public FormPage {
    Q_OBJECT
public:
    // Commands of the record menu.
    static constexpr int kMenuModify = 32795;
    static constexpr int kMenuView = 32771;
    static constexpr int kMenuPatientHistory = 32800;
    static constexpr const char* kMenuModifyText = QT_TR_NOOP("Modifly Data");
    static constexpr const char* kMenuViewText = QT_TR_NOOP("Access the data");
    static constexpr const char* kDeleteQuestion = QT_TR_NOOP("선택한 데이터를 삭제하시겠습니까?");
    static constexpr const char* kDeleteFailedText =
        QT_TR_NOOP("The selected data could not be deleted.\r\nThe list is unchanged.");
    static constexpr const char* kReadOnlyMediaText =
        QT_TR_NOOP("The data folder is on read-only media: %1\r\nResults can be viewed, "
                   "printed and exported here, but not changed or deleted.");
    static constexpr const char* kModifyFailedText = QT_TR_NOOP(
        "The change could not be written.\r\nThe record may have been deleted meanwhile.");
    static constexpr const char* kPrintFailedText =
        QT_TR_NOOP("The list could not be printed: no printer is available, or the document "
                   "could not be written.");

    using TodayFn = std::function<QDate()>;
    // Shows the record menu at a global position; returns the chosen action or null.
    using MenuRunner = std::function<QAction*(QMenu& menu, const QPoint& globalPos)>;
    // Runs a record dialog modally; returns its result code.
    using DialogRunner = std::function<int(QDialog& dialog)>;

    AllDataPage(UserStore& users, Prompter& prompter, FileService& files, PrintDialogService* print,
                FrameCommandFn command, QWidget* parent = nullptr);
    ~AllDataPage() override;

    // The operations of the page, also reached by its controls.
    void Activate();
    void LoadList();
    void ResetDatePickers();
    void Search();
    void ChoosePeriod(int item);
    void ChooseKind(int item);
    void ChooseUser(int item);
    void DeleteRow(int row, int column);
    // The delete question for a list row: the fixed question, then the record it deletes.
    std::string DeleteQuestion(int row) const;
    void CaptureRecord(int row, int column);
    // A context-menu request (mouse or keyboard) at a point of the page: captures the row it
    // was opened on (the keyboard's row for the Menu key), or nothing, then shows the menu.
    void RequestRecordMenu(const QPoint& pagePos, bool fromKeyboard);
    void ShowRecordMenu(const QPoint& globalPos);
    void ShowSelectedRecord();   // "Access the data"
    void ModifySelectedRecord(); // "Modifly Data"
    // A result held for want of a patient, found by its ID, opened for the operator to give
    // it one (HbA1c in the modify dialog, glucose its patient ID alone); true when given.
    bool AssignPatient(ResultKind kind, const std::string& resultId);
    // The patient page of one stored patient ID ("Patient history", a double-click on the
    // patient column).
    void OpenPatientHistory(const std::string& patientId);
    int PrintList(); // a PrintResult, or -1 without a print service
    void ExportList();

    views::DataListView* List() const { return list_; }
    ResultKind Kind() const { return kind_; }
    // A download chooses the kind the next activation shows.
    void SetKind(ResultKind kind) { kind_ = kind; }
    // Set by a search or a period choice; while set, double-click delete is off.
    bool ListFiltered() const { return listFiltered_; }
    const std::string& NewestDate() const { return newestDate_; }
    // The stored values of the rows shown, by row number - 1, read from the table now. Each
    // row is read when asked for: the page itself keeps only their ids.
    std::vector<ListRow> Rows() const;
    const ListRow& SelectedRecord() const { return selected_; }
    bool HasSelectedRecord() const { return hasSelected_; }

    QComboBox* UserList() const { return userList_; }
    QComboBox* KindList() const { return kindList_; }
    QComboBox* PeriodList() const { return periodList_; }
    QComboBox* PatientIdList() const { return patientIdList_; }
    QComboBox* OperatorIdList() const { return operatorIdList_; }
    QDateEdit* StartPicker() const { return startPicker_; }
    QDateEdit* EndPicker() const { return endPicker_; }
    ImageButton* SearchButton() const { return searchButton_; }
    ImageButton* PrintButton() const { return printButton_; }
    ImageButton* ExportButton() const { return exportButton_; }
    // Pending count, "Send pending", HL7/FHIR export of the rows shown.
    DeliveryPanel* Delivery() const { return delivery_; }
    // The patient search: one patient at a time, within the period. A whole ID (ignoring
    // case and surrounding blanks) lists that patient; text that matches several patients
    // (part of an ID, or a name) offers them to choose from; Enter or Ctrl+F's field.
    QLineEdit* SearchField() const { return searchField_; }
    QLabel* ResultCount() const { return resultCount_; }
    void ApplySearch(const QString& text);
    // The stored ID the list is narrowed to; empty without a search.
    const std::string& SearchedPatient() const { return searchedPatient_; }
    // The delivery column's text for a state.
    // What the delivery column says of a result: its state, and what its message is to it.
    static QString DeliveryStateName(const interop::ResultDelivery& delivery);
    // A row's delivery in `states` (from DeliveryPanel::States): its result's, else the one
    // of its first message; pending when the outbox knows neither yet.
    static interop::ResultDelivery
    DeliveryOf(const std::unordered_map<std::string, interop::ResultDelivery>& states,
               const std::string& operatorId, ResultKind kind, const ListRow& row);
    // Enter in the search field: the patient page of the one patient the list shows, or of
    // the patient whose ID is the text typed.
    void OpenSearchedPatient();
    // Ctrl+F: the search field, its text selected.
    void FocusSearch();
    // F5 and a change of settings: the list read again as it stands (period, search and the
    // selected row kept).
    void Refresh();

    // Test seams: the date "today" is read from, the menu and the dialogs.
    void SetToday(TodayFn today) { today_ = std::move(today); }
    void SetMenuRunner(MenuRunner runner) { menuRunner_ = std::move(runner); }
    void SetDialogRunner(DialogRunner runner) { dialogRunner_ = std::move(runner); }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Whose column layout the list shows: the current operator's, for the current kind.
    QString ColumnLayoutScope() const;
    // Once the operator shows the patient's name: beside the patient ID, both within sight.
    void PlaceNameBesideTheResult();
    // A folder opened read-only (read-only media) is not changed: says so, returns true.
    bool RefuseChange();
    // Item `item` of the period list: all, then 1 to 12 weeks.
    QString PeriodText(int item) const;
    void InitialUpdate();
    // The user box names the user whose table the list shows.
    void SyncUserBox();
    void BuildColumns();
    void AddDeliveryPanel();
    void ArrangeControls();
    void AddSearchField();
    // Patient name and memo (HbA1c) and the delivery state, after the kind's own columns.
    void AddOptionalColumns(int first);

    void ShowResultCount();
    // After a change to a row: the same filter, search and period again, and the changed row
    // (by stored row id) selected when it is still listed, else the row at `listRow`.
    void ReloadKeepingView(int rowId, int listRow);
    // The period box and the date pickers say what the list covers.
    void ShowPeriod(int item);
    void MarkDeliveryStates();
    MeasurementTable& Table();
    void ApplyFilter(const std::string& filter);
    void ApplyPickerFormat();
    const ListRow* RowAt(int listRow) const;
    QDate Today() const;

    UserStore& users_;
    Prompter& prompter_;
    FileService& files_;
    PrintDialogService* print_;

    views::DataListView* list_ = nullptr;
    QLabel* userLabel_ = nullptr;
    QComboBox* userList_ = nullptr;
    QComboBox* kindList_ = nullptr;
    QComboBox* periodList_ = nullptr;
    QDateEdit* startPicker_ = nullptr;
    QLabel* tilde_ = nullptr;
    QDateEdit* endPicker_ = nullptr;
    ImageButton* searchButton_ = nullptr;
    ImageButton* printButton_ = nullptr;
    ImageButton* exportButton_ = nullptr;
    QComboBox* patientIdList_ = nullptr;
    QComboBox* operatorIdList_ = nullptr;
    QLabel* patientIdLabel_ = nullptr;
    QLabel* operatorIdLabel_ = nullptr;
    QAbstractListModel* operatorIds_ = nullptr;
    QFont listFont_;
    QFont comboFont_;
    DeliveryPanel* delivery_ = nullptr;
    QLineEdit* searchField_ = nullptr;
    QLabel* resultCount_ = nullptr;
    // The period or date-range condition the search is combined with, and what it covers
    // (stored dates; empty for all), for the report's header.
    std::string periodFilter_;
    std::string periodFrom_;
    std::string periodTo_;
    // The patient the search narrowed the list to (stored bytes), and the text the operator
    // typed for it.
    std::string searchedPatient_;
    QString searchedText_;

    ResultKind kind_ = ResultKind::HbA1c;
    bool listFiltered_ = false;
    bool keepFilter_ = false;
    std::string newestDate_;
    ResultListIndex index_;
    std::shared_ptr<views::ListRowSource> rowSource_; // gives the list its texts and marks
    mutable ListRow fetched_;                         // the row RowAt read last
    ListRow selected_;
    bool hasSelected_ = false;

    TodayFn today_;
    MenuRunner menuRunner_;
    DialogRunner dialogRunner_;
};

} // namespace qa
