#include "views/pages.h"

#include "store/audit_log.h"

#include "store/csv_export.h"
#include "store/result_list.h"
#include "store/users.h"
#include "widgets/image_button.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace qa {

namespace {

// The band of the page pictures keeps this strip free for the four buttons.
constexpr int kNavTop = 14;
constexpr int kNavLeft = 499;
constexpr int kNavStep = 115;
const QRect kListPlace(60, 190, 894, 467);

QFont ListFont(const char* face, int height, QFont::Weight weight) {
    QFont font(QString::fromUtf8(face));
    font.setPixelSize(height);
    font.setWeight(weight);
    return font;
}

} // namespace

FormPage::FormPage(int backgroundId, FrameCommandFn command, QWidget* parent)
    : QWidget(parent), command_(std::move(command)), background_(ImagePath(backgroundId)) {}

void FormPage::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().button());
    p.drawPixmap(0, 0, background_);
}

ImageButton* FormPage::AddImageButton(int bitmapId, const QString& tip, const QRect& place) {
    auto* button = new ImageButton(this);
    button->LoadBitmap(ImagePath(bitmapId));
    button->SetToolTipText(tip);
    if (place.width() > 0) {
        button->setGeometry(place);
    } else {
        button->move(place.topLeft());
        button->resize(button->sizeHint());
    }
    return button;
}

void FormPage::AddNavigation(int own, int getDataBitmap) {
    struct Nav {
        int command;
        int bitmap;
        const char* tip;
    };
    const Nav navs[] = {{kCmdHome, 173, "홈"},
                        {kCmdGetData, getDataBitmap, "측정기 저장 데이터 가져오기"},
                        {kCmdViewData, 176, "데이터 보기"},
                        {kCmdSettings, 174, "설정"}};
    int x = kNavLeft;
    for (const Nav& nav : navs) {
        ImageButton* button =
            AddImageButton(nav.bitmap, QString::fromUtf8(nav.tip), QRect(x, kNavTop, 0, 0));
        x += kNavStep;
        int code = nav.command;
        // The home and view-data pages disable their own button; the download page's own
        // button starts a new search, so it stays enabled there.
        if (code == own && own != kCmdGetData) {
            button->setEnabled(false);
        }
        connect(button, &QPushButton::clicked, this, [this, code] { OnNavigation(code); });
        nav_.emplace_back(code, button);
    }
}

void FormPage::OnNavigation(int code) {
    command_(code);
}

ImageButton* FormPage::NavButton(int command) const {
    for (const auto& [code, button] : nav_) {
        if (code == command) {
            return button;
        }
    }
    return nullptr;
}

WaitingPage::WaitingPage(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Waiting....................", this), 0, Qt::AlignCenter);
}

HomePage::HomePage(FrameCommandFn command, QWidget* parent)
    : FormPage(209, std::move(command), parent) {
    AddNavigation(kCmdHome);
}

QString ExportList(QWidget* parent, const views::DataListView& list, ResultKind kind,
                   Prompter& prompter, FileService& files, const std::string& dataFolder) {
    if (!prompter.Confirm(kExportQuestion, "QuorinA1c")) {
        return {};
    }
    QString path = files.AskSavePath(parent);
    if (path.isEmpty()) {
        return {};
    }
    // Row by row as the list shows them: a long list's texts are never all held at once.
    const int rows = list.RowCount();
    const int columns = list.ColumnCount();
    std::string error;
    CsvFileWriter writer(path.toStdString(), kind, dataFolder);
    bool written = writer.Open(error);
    std::vector<std::string> cells;
    for (int r = 0; written && r < rows; ++r) {
        cells.clear();
        for (int c = 0; c < columns; ++c) {
            cells.push_back(list.CellTextUtf8(r, c));
        }
        writer.WriteRow(cells);
    }
    if (!written || !writer.Finish(error)) {
        // Saying nothing would leave the operator looking for a file that is not there.
        prompter.Inform("The file could not be written:\r\n" + error, "QuorinA1c",
                        Prompter::Severity::Error);
        return {};
    }
    files.OpenFile(path);
    return path;
}

DownloadPage::DownloadPage(UserStore& users, Prompter& prompter, FileService& files,
                           FrameCommandFn command, std::function<void()> startDiscovery,
                           std::function<void(const QString&)> progress, QWidget* parent)
    : FormPage(178, std::move(command), parent), users_(users), prompter_(prompter), files_(files),
      startDiscovery_(std::move(startDiscovery)), progress_(std::move(progress)) {
    AddNavigation(kCmdGetData, 179);
    // Its own button searches again. The list of the last download stays until the
    // operator confirms the next one: a search, or a dialog cancelled, must not wipe it.
    ImageButton* exportButton =
        AddImageButton(181, QString::fromUtf8("내보내기"), QRect(871, 142, 63, 35));
    connect(exportButton, &QPushButton::clicked, this, [this] {
        QString path = ExportList(this, *list_, kind_, prompter_, files_, users_.DataFolder());
        if (!path.isEmpty()) {
            AuditOutput(users_, audit_action::kExport, kind_, list_->RowCount(),
                        path.toStdString());
        }
    });

    list_ = new views::DataListView(this);
    list_->setObjectName("downloadList");
    list_->SetControlId(1000);
    list_->setGeometry(kListPlace);
    list_->SetRowHeight(32);
    list_->setFont(ListFont("고딕체", 14, QFont::Bold));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);

    eraseBox_ = new QCheckBox("delete all data of a meter", this);
    eraseBox_->hide();
    eraseBox_->setEnabled(false);
    connect(eraseBox_, &QCheckBox::toggled, this, [this](bool on) { erase_ = on; });

    BuildDownloadColumns(ResultKind::HbA1c);
    erase_ = true;
}

DownloadPage::~DownloadPage() {
    // Kept like the all-data list's: the operator's widths and order come back next time.
    // Only the layout is lost when the profile cannot be written.
    (void)list_->SaveColumnState();
}

void DownloadPage::SetEraseAfterDownload(bool erase) {
    erase_ = erase;
    eraseBox_->setChecked(erase);
}

void DownloadPage::Activate() {
    eraseBox_->setChecked(false);
    erase_ = false;
    if (startDiscovery_) {
        startDiscovery_();
    }
}

void DownloadPage::BuildDownloadColumns(ResultKind kind) {
    list_->DeleteAllRows();
    list_->DeleteAllColumns();
    list_->RestoreColumnState();
    struct Column {
        const char* heading;
        int width;
    };
    std::vector<Column> columns = {{"No.", 80}, {"Date", 150}, {"Time", 100}, {"Result", 180}};
    if (kind == ResultKind::HbA1c) {
        columns.push_back({"eAG", 120});
        columns.push_back({"Patient ID", 180});
    }
    for (std::size_t i = 0; i < columns.size(); ++i) {
        int c = static_cast<int>(i);
        list_->InsertColumn(c, columns[i].heading, Qt::AlignCenter, columns[i].width);
        list_->SetColumnSort(c, 4, 1);
    }
    list_->SetColumnHideable(0, false);
    list_->RestoreColumnState();
}

void DownloadPage::LoadDownloadList(ResultKind kind) {
    kind_ = kind;
    list_->DeleteAllRows();
    MeasurementTable& table = kind == ResultKind::HbA1c
                                  ? static_cast<MeasurementTable&>(users_.HbA1cDownload())
                                  : static_cast<MeasurementTable&>(users_.GlucoseDownload());
    if (table.IsOpen()) {
        ResultList rows = LoadResultList(table, users_.Settings(), false);
        list_->SetRows(std::move(rows.cells));
        if (list_->RowCount() > 0) {
            list_->SelectRow(0);
        }
    }
    if (progress_) {
        progress_(QString::fromUtf8(kDownloadDoneText));
    }
}

void DownloadPage::ShowDownloaded(ResultKind kind) {
    BuildDownloadColumns(kind);
    LoadDownloadList(kind);
}

} // namespace qa
