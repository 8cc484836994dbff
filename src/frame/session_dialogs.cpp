#include "frame/session_dialogs.h"

#include "views/ui_services.h"
#include "widgets/gradient_label.h"
#include "widgets/program_palette.h"
#include "widgets/registry_key.h"
#include "widgets/shade_button.h"
#include "widgets/text_progress_ctrl.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

#include <memory>

namespace qa {

GetDataDialog::GetDataDialog(QWidget* parent) : QDialog(parent) {
    ApplyProgramPalette(this);
    setWindowTitle(tr(kTitle));
    setObjectName("GetDataDialog");
    QFont font(QStringLiteral("고딕체"));
    font.setPixelSize(12);
    font.setWeight(QFont::Normal);

    auto label = [&](const QString& text) {
        auto* l = new QLabel(text, this);
        l->setFont(font);
        return l;
    };
    ports_ = new QComboBox(this);
    ports_->setEditable(true);
    ports_->setObjectName("port");
    kinds_ = new QComboBox(this);
    kinds_->addItems({tr("HbA1c"), tr("Glucose")});
    kinds_->setObjectName("kind");
    users_ = new QComboBox(this);
    users_->setObjectName("user");
    ok_ = new QPushButton(tr("데이터얻기"), this);
    cancel_ = new QPushButton(tr("취소"), this);
    search_ = new QPushButton(tr("포트 검색"), this);
    for (QPushButton* b : {ok_, cancel_, search_}) {
        b->setFont(font);
    }
    ok_->setDefault(true);

    auto* grid = new QGridLayout;
    grid->addWidget(label(tr("Comm포트")), 0, 0);
    grid->addWidget(ports_, 0, 1);
    grid->addWidget(search_, 0, 2);
    grid->addWidget(label(tr("항목")), 1, 0);
    grid->addWidget(kinds_, 1, 1);
    grid->addWidget(label(tr("사용자ID")), 2, 0);
    grid->addWidget(users_, 2, 1);
    noMeter_ = new QLabel(tr(kNoMeterText), this);
    noMeter_->setObjectName("noMeter");
    noMeter_->setWordWrap(true);
    noMeter_->hide();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(noMeter_);
    layout->addLayout(buttons);

    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(search_, &QPushButton::clicked, this, &GetDataDialog::PortSearchRequested);
    connect(users_, &QComboBox::currentTextChanged, this, [this](const QString& id) {
        if (!filling_ && !id.isEmpty()) {
            emit UserChosen(id);
        }
    });
}

void GetDataDialog::SetLastPort(const std::string& port) {
    lastPort_ = port;
    SetPorts(lastPorts_);
}

void GetDataDialog::SetPorts(const DiscoveryResult& ports) {
    lastPorts_ = ports;
    ports_->clear();
    int selected = 0;
    int last = -1;
    for (const PortCandidate& c : ports.candidates) {
        ports_->addItem(QString::fromStdString(c.portName));
        if (ports.found && c.portName == ports.foundPort.portName && selected == 0) {
            selected = ports_->count() - 1;
        }
        if (c.portName == lastPort_) {
            last = ports_->count() - 1;
        }
    }
    // A port typed last time is offered again, even when discovery does not list it; a
    // recognised meter's port still comes first, as that is where the meter is now.
    if (!lastPort_.empty() && last < 0) {
        ports_->insertItem(0, QString::fromStdString(lastPort_));
        last = 0;
        selected += ports.found ? 1 : 0; // the recognised port moved down by one
    }
    if (!ports.found && last >= 0) {
        selected = last;
    }
    if (ports_->count() > 0) {
        ports_->setCurrentIndex(selected);
    }
    // The first port listed is only a guess then: the question after OK must not be taken
    // as proof that a meter is there.
    noMeter_->setVisible(!ports.found);
}

void GetDataDialog::SetUsers(const std::vector<std::string>& users, const std::string& current) {
    filling_ = true;
    users_->clear();
    int selected = 0;
    for (const auto& id : users) {
        users_->addItem(QString::fromStdString(id));
        if (id == current) {
            selected = users_->count() - 1;
        }
    }
    users_->setCurrentIndex(users_->count() > 0 ? selected : -1);
    filling_ = false;
}

std::string GetDataDialog::PortText() const {
    std::string text = ports_->currentText().trimmed().toStdString();
    return text.empty() ? DefaultPortName(lastPorts_) : text;
}

ResultKind GetDataDialog::Kind() const {
    return kinds_->currentIndex() == 1 ? ResultKind::Glucose : ResultKind::HbA1c;
}

namespace {

std::unique_ptr<QSettings> PortProfile() {
    auto settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                                QString::fromLatin1(RegistryKey::kOrganization),
                                                QString::fromLatin1(RegistryKey::kApplication));
    settings->beginGroup(QStringLiteral("GetData"));
    return settings;
}

} // namespace

std::string LoadLastPort() {
    // A profile edited by hand may hold anything: only a plain port text is offered.
    const QString port = PortProfile()->value(QStringLiteral("LastPort")).toString().trimmed();
    return port.size() <= 255 && !port.contains(QLatin1Char('\n')) ? port.toStdString()
                                                                   : std::string();
}

void SaveLastPort(const std::string& port) {
    PortProfile()->setValue(QStringLiteral("LastPort"), QString::fromStdString(port));
}

ProcessDialog::ProcessDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Process"));
    setModal(false);
    ApplyProgramPalette(this);
    auto* label = new GradientLabel(this);
    label->setObjectName("progress");
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumSize(320, 60);
    label->SetFont("SYSTEM", 18, 0);
    label->SetTextColor(Qt::black);
    // White at the top to medium slate blue at the bottom, as the program has always shown it.
    label->SetBkColor(Qt::white, QColor(123, 104, 238), GradientLabel::GradientVertical);
    label_ = label;
    auto* close = new ShadeButton(this);
    close->setText(tr("Close."));
    // Shaded grey, not coloured; the focus ring is the button's own.
    close->SetShade(6, 8, 10);
    close->SetIcon(ImagePath(171));
    close_ = close;
    records_ = new TextProgressCtrl(this);
    records_->setObjectName("records");
    records_->setMinimumHeight(20);
    records_->hide();
    detail_ = new QLabel(this);
    detail_->setObjectName("detail");
    detail_->setWordWrap(true);
    detail_->setAlignment(Qt::AlignCenter);
    detail_->hide();
    cancel_ = new QPushButton(tr("Cancel"), this);
    cancel_->setObjectName("cancel");
    cancel_->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel_);
    buttons->addWidget(close_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(records_);
    layout->addWidget(detail_);
    layout->addLayout(buttons);
    // Enter reaches the window itself, which decides whether it may close now.
    for (QPushButton* button : {cancel_, close_}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    connect(close_, &QPushButton::clicked, this, &QWidget::hide);
    connect(cancel_, &QPushButton::clicked, this, &ProcessDialog::CancelRequested);
}

void ProcessDialog::SetRecords(int received, int announced) {
    received_ = received;
    announced_ = announced;
    records_->SetRange(0, announced);
    records_->SetPos(received);
    ShowRecords();
    records_->show();
}

void ProcessDialog::ShowRecords() {
    if (announced_ >= 0) {
        records_->SetWindowText(tr("%1 / %2 records").arg(received_).arg(announced_));
    }
}

void ProcessDialog::SetDetail(LiveText text) {
    detailText_ = std::move(text);
    ShowDetail();
    if (isHidden()) {
        ShowWithFocus();
    }
}

void ProcessDialog::SetDetail(const QString& text) {
    SetDetail(text.isEmpty() ? LiveText() : LiveText([text] { return text; }));
}

void ProcessDialog::ShowDetail() {
    const QString text = detailText_ ? detailText_() : QString();
    detail_->setText(text);
    detail_->setVisible(!text.isEmpty());
}

QString ProcessDialog::Detail() const {
    return detail_->text();
}

void ProcessDialog::SetRunning(bool running) {
    running_ = running;
    cancel_->setEnabled(running);
}

void ProcessDialog::ShowWithFocus() {
    show();
    raise();
    activateWindow();
    close_->setFocus(Qt::ActiveWindowFocusReason);
}

void ProcessDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!running_) {
            hide();
        }
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void ProcessDialog::Reset() {
    line_ = nullptr;
    detailText_ = nullptr;
    received_ = 0;
    announced_ = -1;
    label_->setText(QString());
    records_->SetPos(0);
    records_->SetWindowText(QString());
    records_->hide();
    detail_->clear();
    detail_->hide();
    cancel_->setEnabled(false);
    running_ = false;
}

void ProcessDialog::SetProgressText(LiveText text) {
    line_ = std::move(text);
    ShowLine();
    if (isHidden()) {
        ShowWithFocus();
    }
}

void ProcessDialog::SetProgressText(const QString& text) {
    SetProgressText([text] { return text; });
}

void ProcessDialog::ShowLine() {
    const QString text = line_ ? line_() : QString();
    if (text != label_->text()) {
        label_->setText(text);
        label_->update(); // coalesced: texts change with every received byte
    }
}

QString ProcessDialog::ProgressText() const {
    return label_->text();
}

void ProcessDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    // The lines carry counts and names, so they are made again rather than looked up.
    if (event->type() == QEvent::LanguageChange) {
        ShowLine();
        ShowRecords();
        ShowDetail();
    }
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    ApplyProgramPalette(this);
    setWindowTitle(tr("About QuorinA1c Self Comm"));
    auto* icon = new QLabel(this);
    icon->setPixmap(AppIcon().pixmap(32, 32));
    auto* texts = new QVBoxLayout;
    texts->addWidget(new QLabel(tr("Windows Communication Program"), this));
    texts->addWidget(new QLabel(tr("  Windows All for One       Version  1.00"), this));
    auto* ok = new QPushButton(tr("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addLayout(texts);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

} // namespace qa
