#include "views/pages.h"

#include "i18n/export_language.h"
#include "i18n/message_text.h"
#include "store/audit_log.h"

#include "store/csv_export.h"
#include "store/result_list.h"
#include "store/users.h"
#include "widgets/hidpi_pixmap.h"
#include "widgets/image_button.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressDialog>
#include <QVBoxLayout>

#include <algorithm>

namespace qa {

namespace {

// The band of the page pictures keeps this strip free for the four buttons.
constexpr int kNavTop = 14;
constexpr int kNavLeft = 499;
constexpr int kNavStep = 115;
constexpr int kNavGap = 5;
const QRect kListPlace(60, 190, 894, 467);
// Controls keep the card's inner margin from the page's sides; the rows start under the
// band's teal rule and end above the footer text.
constexpr int kPageSide = 60;
constexpr int kBodyTop = 142;
constexpr int kFooterSpace = 46;
constexpr int kNavHeight = 100;
// An export still running after this long shows its progress, updated every so many rows.
constexpr int kExportProgressDelayMs = 500;
constexpr int kExportProgressStep = 2048;

// Where the page pictures may stretch or shrink: columns and rows of plain band, ground or
// card (see res/images/README.md for the layout the pictures are drawn for).
constexpr int kFixedLeft = 480; // logo and product name
constexpr int kStretchX = 484;  // plain band, plain card
constexpr int kFixedRightFrom = 490;
constexpr int kFixedTop = 300; // band, filter row, top of the list card
constexpr int kStretchY = 400; // card sides and inside
constexpr int kFixedBottomFrom = 440;
constexpr int kHomeBandEnd = 140;  // home page: band and teal rule
constexpr int kHomeCardsEnd = 632; // home page: introduction and step cards
constexpr int kHomeFooterFrom = 668;

// Draws the source rectangle (logical pixels of the picture) into the target.
void DrawPiece(QPainter& p, const QPixmap& picture, const QRectF& target, const QRectF& source) {
    if (target.width() <= 0 || target.height() <= 0) {
        return;
    }
    const qreal ratio = picture.devicePixelRatio();
    p.drawPixmap(target, picture,
                 QRectF(source.x() * ratio, source.y() * ratio, source.width() * ratio,
                        source.height() * ratio));
}

// One horizontal strip of the picture (source rows from..to) across the whole target width:
// the left part and the right part keep their pixels, one plain column stretches between.
void DrawRow(QPainter& p, const QPixmap& picture, int width, qreal y, qreal height, qreal from,
             qreal to) {
    const qreal pictureWidth = picture.deviceIndependentSize().width();
    const qreal rightWidth = pictureWidth - kFixedRightFrom;
    DrawPiece(p, picture, QRectF(kFixedLeft, y, width - rightWidth - kFixedLeft, height),
              QRectF(kStretchX, from, 1, to - from));
    DrawPiece(p, picture, QRectF(0, y, kFixedLeft, height), QRectF(0, from, kFixedLeft, to - from));
    DrawPiece(p, picture, QRectF(width - rightWidth, y, rightWidth, height),
              QRectF(kFixedRightFrom, from, rightWidth, to - from));
}

QFont ListFont(const char* face, int height, QFont::Weight weight) {
    QFont font(QString::fromUtf8(face));
    font.setPixelSize(height);
    font.setWeight(weight);
    return font;
}

} // namespace

FormPage::FormPage(int backgroundId, FrameCommandFn command, QWidget* parent)
    : QWidget(parent), command_(std::move(command)), backgroundId_(backgroundId),
      background_(LoadPixmap(ImagePath(backgroundId, CurrentLanguage()))),
      homeCards_(backgroundId == 209) {
    body_ = new QVBoxLayout(this);
    body_->setContentsMargins(kPageSide, kNavTop, kPageSide, kFooterSpace);
    body_->setSpacing(0);
    navRow_ = new QHBoxLayout;
    navRow_->setSpacing(kNavGap);
    navRow_->addStretch(1);
    body_->addLayout(navRow_);
    body_->addSpacing(kBodyTop - kNavTop - kNavHeight);
}

void FormPage::DrawBackground(QPainter& p, const QPixmap& picture, const QRect& target,
                              bool homeCards) {
    if (picture.isNull()) {
        return;
    }
    p.save();
    p.translate(target.topLeft());
    p.setClipRect(QRect(QPoint(0, 0), target.size()));
    const int w = target.width();
    const int h = target.height();
    const qreal pictureHeight = picture.deviceIndependentSize().height();
    if (!homeCards) {
        const qreal bottomHeight = pictureHeight - kFixedBottomFrom;
        DrawRow(p, picture, w, kFixedTop, h - bottomHeight - kFixedTop, kStretchY, kStretchY + 1);
        DrawRow(p, picture, w, 0, kFixedTop, 0, kFixedTop);
        DrawRow(p, picture, w, h - bottomHeight, bottomHeight, kFixedBottomFrom, pictureHeight);
        p.restore();
        return;
    }
    // The home page: the ground everywhere, the band across the top, the footer at the
    // bottom, and the cards in between, scaled down (never up) when the page is short.
    const qreal ratio = picture.devicePixelRatio();
    const QColor ground = picture.toImage().pixelColor(QPoint(10, 10 + kHomeCardsEnd) * ratio);
    p.fillRect(QRect(0, 0, w, h), ground);
    const qreal footerHeight = pictureHeight - kHomeFooterFrom;
    DrawRow(p, picture, w, h - footerHeight, footerHeight, kHomeFooterFrom, pictureHeight);
    const qreal pictureWidth = picture.deviceIndependentSize().width();
    const qreal cardsHeight = kHomeCardsEnd - kHomeBandEnd;
    const qreal room = h - footerHeight - kHomeBandEnd;
    const qreal scale = qBound(0.0, qMin(room / cardsHeight, w / pictureWidth), 1.0);
    p.setRenderHint(QPainter::SmoothPixmapTransform, scale < 1.0);
    // Centred in the room they have, as they sit in the picture itself.
    const qreal cardsTop = kHomeBandEnd + qMax(0.0, (room - cardsHeight * scale) / 2);
    DrawPiece(
        p, picture,
        QRectF((w - pictureWidth * scale) / 2, cardsTop, pictureWidth * scale, cardsHeight * scale),
        QRectF(0, kHomeBandEnd, pictureWidth, cardsHeight));
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    DrawRow(p, picture, w, 0, kHomeBandEnd, 0, kHomeBandEnd);
    p.restore();
}

void FormPage::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        LoadPictures();
    }
}

void FormPage::LoadPictures() {
    const Language language = CurrentLanguage();
    background_ = LoadPixmap(ImagePath(backgroundId_, language));
    for (const auto& [button, id] : pictures_) {
        button->LoadBitmap(ImagePath(id, language));
    }
    update();
}

void FormPage::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().button());
    DrawBackground(p, background_, rect(), homeCards_);
}

ImageButton* FormPage::AddImageButton(int bitmapId, const QString& tip, const QRect& place) {
    auto* button = new ImageButton(this);
    button->LoadBitmap(ImagePath(bitmapId, CurrentLanguage()));
    pictures_.emplace_back(button, bitmapId);
    button->SetToolTipText(tip);
    // The page's layout places it; the rectangle is where the pictures expect it on a page
    // of the pictures' own size.
    button->move(place.topLeft());
    button->resize(button->sizeHint());
    return button;
}

void FormPage::AddNavigation(FrameCommand own, int getDataBitmap) {
    struct Nav {
        FrameCommand command;
        int bitmap;
        const char* tip;
    };
    const Nav navs[] = {
        {FrameCommand::Home, 173, QT_TR_NOOP("홈")},
        {FrameCommand::GetData, getDataBitmap, QT_TR_NOOP("측정기 저장 데이터 가져오기")},
        {FrameCommand::ViewData, 176, QT_TR_NOOP("데이터 보기")},
        {FrameCommand::Settings, 174, QT_TR_NOOP("설정")}};
    int x = kNavLeft;
    for (const Nav& nav : navs) {
        ImageButton* button = AddImageButton(nav.bitmap, tr(nav.tip), QRect(x, kNavTop, 0, 0));
        x += kNavStep;
        navRow_->addWidget(button);
        const FrameCommand code = nav.command;
        // The home and view-data pages disable their own button; the download page's own
        // button starts a new search, so it stays enabled there.
        if (code == own && own != FrameCommand::GetData) {
            button->setEnabled(false);
        }
        connect(button, &QPushButton::clicked, this, [this, code] { OnNavigation(code); });
        nav_.emplace_back(code, button);
    }
}

void FormPage::OnNavigation(FrameCommand command) {
    command_(command);
}

ImageButton* FormPage::NavButton(FrameCommand command) const {
    for (const auto& [code, button] : nav_) {
        if (code == command) {
            return button;
        }
    }
    return nullptr;
}

WaitingPage::WaitingPage(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QCoreApplication::translate("qa::WaitingPage", "Waiting...................."),
                   this),
        0, Qt::AlignCenter);
}

HomePage::HomePage(FrameCommandFn command, QWidget* parent)
    : FormPage(209, std::move(command), parent) {
    AddNavigation(FrameCommand::Home);
    Body()->addStretch(1);
}

QString ExportList(QWidget* parent, const views::DataListView& list, ResultKind kind,
                   Prompter& prompter, FileService& files, const std::string& dataFolder,
                   const ExportRowWriter& rows) {
    if (!prompter.Confirm(
            Message::Verbatim(
                QCoreApplication::translate("qa::FormPage", "현재 데이터 내보내기를 하시겠습니까?")
                    .toStdString()),
            MessageId::CaptionProgram)) {
        return {};
    }
    QString path = files.AskSavePath(parent);
    if (path.isEmpty()) {
        return {};
    }
    ExportColumns columns;
    // The kind's own columns are all written, hidden or not; the optional ones beyond them
    // (patient name, memo, delivery) only when shown, named at the end of the header.
    columns.own = std::min(list.ColumnCount(), kind == ResultKind::HbA1c ? 6 : 4);
    for (int c = 0; c < columns.own; ++c) {
        columns.columns.push_back(c);
    }
    for (int c = columns.own; c < list.ColumnCount(); ++c) {
        if (list.IsColumnVisible(c)) {
            columns.columns.push_back(c);
            columns.extraHeadings.push_back(list.ColumnHeading(c).toStdString());
        }
    }
    columns.padPatientId = kind == ResultKind::Glucose && !columns.extraHeadings.empty();

    // A long export shows how far it has got and can be cancelled; while it shows, the
    // window keeps painting and takes no other input. A short one never shows it.
    QProgressDialog progress(parent);
    progress.setWindowModality(Qt::WindowModal);
    progress.setLabelText(QCoreApplication::translate("qa::FormPage", "Exporting..."));
    progress.setMinimumDuration(kExportProgressDelayMs);
    progress.setRange(0, list.RowCount());
    progress.setValue(0);
    const auto report = [&progress](int done) {
        if (done % kExportProgressStep == 0) {
            progress.setValue(done);
        }
        return !progress.wasCanceled();
    };

    std::string error;
    CsvFileWriter writer(path.toStdString(), CsvOptionsForLanguage(kind, columns.extraHeadings),
                         dataFolder);
    const Status opened = writer.Open();
    const bool written = opened.ok();
    if (!written) {
        error = MessageUtf8(opened.error());
    }
    bool complete = written;
    if (complete && rows) {
        complete = rows(columns, writer, report, error);
    } else if (complete) {
        // Row by row as the list shows them: a long list's texts are never all held at once.
        std::vector<std::string> cells;
        for (int r = 0; complete && r < list.RowCount(); ++r) {
            cells.clear();
            for (std::size_t i = 0; i < columns.columns.size(); ++i) {
                if (columns.padPatientId && i == static_cast<std::size_t>(columns.own)) {
                    cells.emplace_back();
                }
                cells.push_back(list.CellTextUtf8(r, columns.columns[i]));
            }
            writer.WriteRow(cells);
            complete = report(r + 1);
        }
    }
    const bool cancelled = progress.wasCanceled();
    progress.reset();
    if (written && !complete && cancelled && error.empty()) {
        return {}; // the operator's choice; the writer leaves any earlier file as it was
    }
    if (complete) {
        if (const Status finished = writer.Finish(); !finished) {
            complete = false;
            error = MessageUtf8(finished.error());
        }
    }
    if (!complete) {
        // Saying nothing would leave the operator looking for a file that is not there.
        prompter.Inform(
            Message::Verbatim(
                QCoreApplication::translate("qa::FormPage", "The file could not be written:\r\n%1")
                    .arg(QString::fromStdString(error))
                    .toStdString()),
            MessageId::CaptionProgram, Prompter::Severity::Error);
        return {};
    }
    files.OpenFile(path);
    return path;
}

DownloadPage::DownloadPage(UserStore& users, Prompter& prompter, FileService& files,
                           FrameCommandFn command, std::function<void()> startDiscovery,
                           std::function<void(LiveText)> progress, QWidget* parent)
    : FormPage(178, std::move(command), parent), users_(users), prompter_(prompter), files_(files),
      startDiscovery_(std::move(startDiscovery)), progress_(std::move(progress)) {
    AddNavigation(FrameCommand::GetData, 179);
    // Its own button searches again. The list of the last download stays until the
    // operator confirms the next one: a search, or a dialog cancelled, must not wipe it.
    ImageButton* exportButton = AddImageButton(
        181, QCoreApplication::translate("qa::DownloadPage", "내보내기"), QRect(871, 142, 63, 35));
    exportButton_ = exportButton;
    connect(exportButton, &QPushButton::clicked, this, [this] {
        QString path = ExportList(this, *list_, kind_, prompter_, files_, users_.DataFolder());
        if (!path.isEmpty()) {
            (void)AuditOutput(users_, audit_action::kExport, kind_,
                              static_cast<std::size_t>(list_->RowCount()),
                              OutputPlace::File(path.toStdString()));
        }
    });

    list_ = new views::DataListView(this);
    list_->setObjectName("downloadList");
    list_->SetControlId(1000);
    list_->setGeometry(kListPlace);
    // The rows' 1 x 32 images set the header's height too, as in the all-data list.
    list_->SetSmallIconWidth(1);
    list_->SetRowHeight(32);
    list_->Header()->setMinimumHeight(32);
    list_->setFont(ListFont("고딕체", 14, QFont::Bold));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);

    eraseBox_ = new QCheckBox(
        QCoreApplication::translate("qa::DownloadPage", "delete all data of a meter"), this);
    eraseBox_->hide();
    eraseBox_->setEnabled(false);
    connect(eraseBox_, &QCheckBox::toggled, this, [this](bool on) { erase_ = on; });

    BuildDownloadColumns(ResultKind::HbA1c);
    erase_ = true;
    ArrangeControls();
}

void DownloadPage::ArrangeControls() {
    auto* commands = new QHBoxLayout;
    commands->addStretch(1);
    commands->addWidget(exportButton_);
    Body()->addLayout(commands);
    Body()->addSpacing(kListPlace.top() - kBodyTop - exportButton_->height());
    Body()->addWidget(list_, 1);
    // The list ends where it ended on a page of the picture's size, above the card's edge.
    Body()->addSpacing(738 - kListPlace.bottom() - 1 - kFooterSpace);
    setTabOrder(NavButton(FrameCommand::Settings), exportButton_);
    setTabOrder(exportButton_, list_);
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
    // Another operator since the list was built: their own layout, and none of the rows of
    // the previous operator's download, which an export would log in this operator's name.
    if (list_->LayoutScope() != ColumnLayoutScope(kind_)) {
        BuildDownloadColumns(kind_);
    }
    if (startDiscovery_) {
        startDiscovery_();
    }
}

QString DownloadPage::ColumnLayoutScope(ResultKind kind) const {
    return QString::fromLatin1(kind == ResultKind::HbA1c ? "HbA1c-" : "Glucose-") +
           QString::fromStdString(users_.ActiveUserId());
}

void DownloadPage::BuildDownloadColumns(ResultKind kind) {
    // The columns being replaced keep their layout, under the operator and kind they were
    // built for.
    if (list_->ColumnCount() > 0) {
        (void)list_->SaveColumnState();
    }
    list_->DeleteAllRows();
    list_->DeleteAllColumns();
    kind_ = kind;
    list_->SetLayoutScope(ColumnLayoutScope(kind));
    struct Column {
        const char* heading;
        int width;
    };
    std::vector<Column> columns = {{QT_TRANSLATE_NOOP("qa::ListHeading", "No."), 80},
                                   {QT_TRANSLATE_NOOP("qa::ListHeading", "Date"), 150},
                                   {QT_TRANSLATE_NOOP("qa::ListHeading", "Time"), 100},
                                   {QT_TRANSLATE_NOOP("qa::ListHeading", "Result"), 180}};
    if (kind == ResultKind::HbA1c) {
        columns.push_back({QT_TRANSLATE_NOOP("qa::ListHeading", "eAG"), 120});
        columns.push_back({QT_TRANSLATE_NOOP("qa::ListHeading", "Patient ID"), 180});
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
        if (!rows.status) {
            // The rows read before the failure are shown, and the operator told they are not
            // the whole download.
            prompter_.Inform(rows.status.error(), MessageId::CaptionProgram,
                             Prompter::Severity::Warning);
        }
        list_->SetRows(std::move(rows.cells));
        if (list_->RowCount() > 0) {
            list_->SelectRow(0);
        }
    }
    if (progress_) {
        progress_(
            [] { return QCoreApplication::translate("qa::DownloadPage", kDownloadDoneText); });
    }
}

void DownloadPage::ShowDownloaded(ResultKind kind) {
    BuildDownloadColumns(kind);
    LoadDownloadList(kind);
}

} // namespace qa
