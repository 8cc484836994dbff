#pragma once

#include "device/port_discovery.h"
#include "i18n/language.h"
#include "store/measurement_table.h"

#include <QDialog>

#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;

namespace qa {

class TextProgressCtrl;

// "Get data": port, result kind and user for a download. The port can also be typed.
class GetDataDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kTitle = QT_TR_NOOP("Get data");

    explicit GetDataDialog(QWidget* parent = nullptr);

    // Refills the port list from a discovery, selecting the recognised port; with no port
    // recognised, the last port used (SetLastPort) is selected, added to the list if needed.
    void SetPorts(const DiscoveryResult& ports);
    void SetLastPort(const std::string& port);
    void SetUsers(const std::vector<std::string>& users, const std::string& current);

    // The port as the operator left it: typed or chosen; empty falls back to the
    // recognised port, then to the first one listed.
    std::string PortText() const;
    ResultKind Kind() const;

    QComboBox* PortCombo() const { return ports_; }
    QComboBox* KindCombo() const { return kinds_; }
    QComboBox* UserCombo() const { return users_; }
    QPushButton* SearchButton() const { return search_; }
    QPushButton* OkButton() const { return ok_; }
    // Says when discovery recognised no meter (the operator may still choose a port).
    QLabel* NoMeterNote() const { return noMeter_; }
    static constexpr const char* kNoMeterText =
        QT_TR_NOOP("No meter was recognised on any port. Connect the meter and press 포트 "
                   "검색, or choose its port yourself.");

signals:
    void PortSearchRequested();
    void UserChosen(const QString& id);

private:
    QComboBox* ports_;
    QComboBox* kinds_;
    QComboBox* users_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QPushButton* search_;
    QLabel* noMeter_;
    DiscoveryResult lastPorts_;
    std::string lastPort_;
    bool filling_ = false;
};

// The port of the last download started from the dialog. It is kept in the program's profile
// beside the window placement, not in an operator's settings: which port the meter's adapter
// gets is a matter of this computer, the same for every operator, and the operators' files
// move to other computers with a backup.
std::string LoadLastPort();
void SaveLastPort(const std::string& port);

// "Process": the one progress window of a download. Setting a text also shows it. Below the
// session's own texts: the records received of the count announced, a line saying how the
// download ended, and Cancel while a download runs.
class ProcessDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kCancelledText = QT_TR_NOOP("다운로드 취소");
    static constexpr const char* kCancelledDetail = QT_TR_NOOP(
        "Cancelled: nothing of this transfer was stored, and the meter keeps its results.");

    explicit ProcessDialog(QWidget* parent = nullptr);
    // The current line, made again when the language changes while it is shown.
    void SetProgressText(LiveText text);
    void SetProgressText(const QString& text); // a text of no language (a port name)
    QString ProgressText() const;
    // Records received so far of the count the meter announced.
    void SetRecords(int received, int announced);
    // The line under the texts: how the download ended, or why it failed.
    void SetDetail(LiveText text);
    void SetDetail(const QString& text);
    QString Detail() const;
    // Cancel is offered only while a download runs.
    void SetRunning(bool running);
    // A new download: the texts, counts and detail of the last one go.
    void Reset();

    TextProgressCtrl* Records() const { return records_; }
    QPushButton* CancelButton() const { return cancel_; }
    QPushButton* CloseButton() const { return close_; }

signals:
    void CancelRequested();

protected:
    void changeEvent(QEvent* event) override;
    // Enter and Esc close the window once no download runs; while one runs they do nothing,
    // so a key meant for another window neither hides the progress nor stops the download.
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Shows the window and gives it the keyboard, on its Close button.
    void ShowWithFocus();
    void ShowLine();
    void ShowRecords();
    void ShowDetail();

    QLabel* label_;
    TextProgressCtrl* records_;
    QLabel* detail_;
    QPushButton* cancel_;
    QPushButton* close_;
    LiveText line_;
    LiveText detailText_;
    int received_ = 0;
    int announced_ = -1; // no count yet
    bool running_ = false;
};

// The About box: what the program is, with an OK button.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

} // namespace qa
