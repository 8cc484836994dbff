#pragma once

#include "store/measurement_table.h"
#include "views/data_list_view.h"
#include "views/ui_services.h"

#include <QPixmap>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QBoxLayout;
class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QPainter;
class QVBoxLayout;

namespace qa {

class CsvFileWriter;
class ImageButton;
class UserStore;

// What a page (or the window itself) asks of the main window.
enum class FrameCommand {
    Home,       // the home page
    GetData,    // the download page, or a new port search when it is shown already
    ViewData,   // the all-data page
    Settings,   // the settings dialog
    ReloadList, // the all-data page reads its list again (after a change of settings)
};

using FrameCommandFn = std::function<void(FrameCommand)>;

// A page of the main window: a full-size picture behind transparent controls, and the row of
// four navigation buttons with the page's own button shown in its page state.
class FormPage : public QWidget {
    Q_OBJECT
public:
    FormPage(int backgroundId, FrameCommandFn command, QWidget* parent = nullptr);

    ImageButton* NavButton(FrameCommand command) const;

    // Paints a page picture over any page size: the header band and the footer keep their
    // pixels, the plain ground and the card between them stretch (list pages), or the home
    // page's cards shrink to fit and stay centred.
    static void DrawBackground(QPainter& painter, const QPixmap& picture, const QRect& target,
                               bool homeCards);

protected:
    void paintEvent(QPaintEvent* event) override;
    // The pictures carry words: a new language brings its own pictures.
    void changeEvent(QEvent* event) override;
    // The page's rows under the navigation row: controls go in here, so they follow the
    // window's size. Its margins keep the picture's header band and footer free.
    QVBoxLayout* Body() const { return body_; }
    // Adds the four navigation buttons; `own` is this page's command (its button is
    // disabled), `getDataBitmap` the picture of the get-data button.
    void AddNavigation(FrameCommand own, int getDataBitmap = 175);
    ImageButton* AddImageButton(int bitmapId, const QString& tip, const QRect& place);
    void OnNavigation(FrameCommand command);

    FrameCommandFn command_;

private:
    void LoadPictures();

    int backgroundId_;
    QPixmap background_;
    std::vector<std::pair<ImageButton*, int>> pictures_; // each drawn button and its picture
    bool homeCards_ = false;
    QVBoxLayout* body_ = nullptr;
    QHBoxLayout* navRow_ = nullptr;
    std::vector<std::pair<FrameCommand, ImageButton*>> nav_;
};

// The first page, shown until start-up has finished.
class WaitingPage : public QWidget {
    Q_OBJECT
public:
    explicit WaitingPage(QWidget* parent = nullptr);
};

class HomePage : public FormPage {
    Q_OBJECT
public:
    explicit HomePage(FrameCommandFn command, QWidget* parent = nullptr);
};

// The columns an export of a list writes: the kind's own, hidden or not, then the optional
// ones beyond them that the list shows, named at the end of the header.
struct ExportColumns {
    int own = 0;
    std::vector<int> columns; // list columns in file order
    std::vector<std::string> extraHeadings;
    // The glucose header names a patient ID its rows leave empty; optional cells follow it.
    bool padPatientId = false;
};

// Writes an export's rows through `writer`, line by line in list order, calling `progress`
// with the count written so far now and then; `progress` returns false when the operator
// cancelled. Returns false when cancelled, or when the rows could not be read (`error` set).
using ExportRowWriter =
    std::function<bool(const ExportColumns& columns, CsvFileWriter& writer,
                       const std::function<bool(int done)>& progress, std::string& error)>;

// Writes what a list shows to a CSV file the operator chooses, then opens it; the rows come
// from `rows` when set, from the list's own texts otherwise. A long export shows its progress
// and can be cancelled, leaving any earlier file as it was.
// Exports never go into `dataFolder`, where they could replace the program's own files.
// Returns the written file's path, empty when nothing was written.
QString ExportList(QWidget* parent, const views::DataListView& list, ResultKind kind,
                   Prompter& prompter, FileService& files, const std::string& dataFolder = {},
                   const ExportRowWriter& rows = {});

// The download page: every arrival starts a port search; after an import it lists the
// results that download added.
class DownloadPage : public FormPage {
    Q_OBJECT
public:
    static constexpr const char* kDownloadDoneText =
        QT_TRANSLATE_NOOP("qa::DownloadPage", "데이터 다운로드 완료");

    DownloadPage(UserStore& users, Prompter& prompter, FileService& files, FrameCommandFn command,
                 std::function<void()> startDiscovery, std::function<void(LiveText)> progress,
                 QWidget* parent = nullptr);

    ~DownloadPage() override;

    void Activate();
    bool EraseAfterDownload() const { return erase_; }
    void SetEraseAfterDownload(bool erase);
    // After an import with new rows: the columns of the kind, then the rows.
    void ShowDownloaded(ResultKind kind);
    void BuildDownloadColumns(ResultKind kind);
    void LoadDownloadList(ResultKind kind);
    views::DataListView* List() const { return list_; }
    ImageButton* ExportButton() const { return exportButton_; }

private:
    void ArrangeControls();
    // Whose column layout the list shows: per operator and per kind, as on the all-data page.
    QString ColumnLayoutScope(ResultKind kind) const;

    UserStore& users_;
    Prompter& prompter_;
    FileService& files_;
    std::function<void()> startDiscovery_;
    std::function<void(LiveText)> progress_;
    views::DataListView* list_;
    ImageButton* exportButton_ = nullptr;
    QCheckBox* eraseBox_;
    bool erase_ = false;
    ResultKind kind_ = ResultKind::HbA1c;
};

} // namespace qa
