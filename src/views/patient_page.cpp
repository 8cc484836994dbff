#include "views/patient_page.h"

#include "i18n/message_text.h"
#include "print/print_job.h"
#include "store/audit_log.h"
#include "store/display_format.h"
#include "store/list_filters.h"
#include "store/text_encoding.h"
#include "store/users.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QScreen>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace qa {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

const QColor kNavy(0x1f, 0x3a, 0x6e);
const QColor kTeal(0x1a, 0x9e, 0x96);

// Measurement moments as chart coordinates: the stored wall-clock time in the machine's time
// zone, which is how the date axis shows them back.
qint64 MomentOf(const PatientResult& result) {
    auto parsed = ParseStoredDateTime(result.date, result.time);
    if (!parsed) {
        return 0;
    }
    return QDateTime(QDate(parsed->year, parsed->month, parsed->day),
                     QTime(parsed->hour, parsed->minute))
        .toMSecsSinceEpoch();
}

QString AxisDateFormat(const SettingsStore& settings) {
    switch (settings.dateFormat) {
    case 1:
        return QStringLiteral("MM-dd-yyyy");
    case 2:
        return QStringLiteral("dd-MM-yyyy");
    default:
        return QStringLiteral("yyyy-MM-dd");
    }
}

QString ResultText(const SettingsStore& settings, const PatientResult& result) {
    return Q(result.kind == ResultKind::HbA1c ? FormatHbA1cText(settings, result.value, false)
                                              : FormatGlucoseText(settings, result.value));
}

} // namespace

PatientPage::PatientPage(UserStore& users, Prompter& prompter, PrintDialogService* print,
                         std::string patientId, QWidget* parent)
    : QDialog(parent), users_(users), prompter_(prompter), print_(print) {
    data_.patientId = std::move(patientId);
    setWindowTitle(tr("Patient history"));
    setObjectName(QStringLiteral("PatientPage"));

    auto* layout = new QVBoxLayout(this);
    title_ = new QLabel(this);
    QFont titleFont = title_->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    titleFont.setBold(true);
    title_->setFont(titleFont);
    title_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(title_);
    conflict_ = new QLabel(this);
    conflict_->setObjectName(QStringLiteral("patientConflict"));
    conflict_->setTextFormat(Qt::PlainText);
    conflict_->setWordWrap(true);
    conflict_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    conflict_->setStyleSheet(QStringLiteral("QLabel { color: #8a1c1c; background: #fdecea; border: "
                                            "1px solid #e0a0a0; padding: 6px; }"));
    conflict_->hide();
    layout->addWidget(conflict_);

    auto* summaries = new QHBoxLayout;
    hba1cSummary_ = new QLabel(this);
    glucoseSummary_ = new QLabel(this);
    for (QLabel* label : {hba1cSummary_, glucoseSummary_}) {
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        summaries->addWidget(label, 1);
    }
    layout->addLayout(summaries);

    auto* charts = new QHBoxLayout;
    for (QChartView** view : {&hba1cChart_, &glucoseChart_}) {
        *view = new QChartView(new QChart, this);
        (*view)->setRenderHint(QPainter::Antialiasing);
        // Small enough that the whole page, buttons included, fits a 1280 x 720 screen.
        (*view)->setMinimumHeight(160);
        (*view)->chart()->legend()->setVisible(false);
        (*view)->chart()->setMargins(QMargins(4, 4, 4, 4));
        charts->addWidget(*view, 1);
    }
    layout->addLayout(charts, 3);

    table_ = new QTableWidget(0, 7, this);
    table_->setHorizontalHeaderLabels({tr("Date"), tr("Time"), tr("Test"), tr("Result"), tr("Memo"),
                                       tr("Name"), tr("Birth date")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->setVisible(false);
    for (int c = 0; c < 4; ++c) {
        table_->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    }
    table_->horizontalHeader()->setSectionResizeMode(4, QHeaderView::Stretch);
    table_->horizontalHeader()->setSectionResizeMode(5, QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(6, QHeaderView::ResizeToContents);
    table_->setMinimumHeight(120);
    layout->addWidget(table_, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    printButton_ = new QPushButton(tr("Print"), this);
    auto* close = new QPushButton(tr("Close"), this);
    buttons->addWidget(printButton_);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(printButton_, &QPushButton::clicked, this, [this] { PrintReport(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    printButton_->setToolTip(
        tr("Print the patient report (%1)")
            .arg(QKeySequence(QKeySequence::Print).toString(QKeySequence::NativeText)));
    auto* printKeys = new QShortcut(QKeySequence::Print, this);
    connect(printKeys, &QShortcut::activated, this, [this] {
        if (printButton_->isEnabled()) {
            PrintReport();
        }
    });

    Reload();
    FitToScreen();
}

void PatientPage::FitToScreen() {
    // The size it was drawn for, unless the screen is smaller: then the screen's area less
    // the frame the window manager adds, so Print and Close stay on the screen.
    QSize size(1000, 760);
    if (const QScreen* shown = screen()) {
        const QRect area = shown->availableGeometry();
        size = size.boundedTo(area.size() - QSize(16, 48));
        size = size.expandedTo(minimumSizeHint().boundedTo(area.size()));
    }
    resize(size);
}

QDate PatientPage::Today() const {
    return today_ ? today_() : QDate::currentDate();
}

bool PatientPage::Reload() {
    data_.hba1c.clear();
    data_.glucose.clear();
    data_.patientName.clear();
    data_.identity = PatientIdentity{};
    data_.operatorId = users_.ActiveUserId();
    const QDate today = Today();
    data_.today = std::chrono::sys_days{std::chrono::year_month_day{
        std::chrono::year{today.year()}, std::chrono::month{static_cast<unsigned>(today.month())},
        std::chrono::day{static_cast<unsigned>(today.day())}}};
    bool ok = true;
    for (MeasurementTable* table : {static_cast<MeasurementTable*>(&users_.HbA1cMain()),
                                    static_cast<MeasurementTable*>(&users_.GlucoseMain())}) {
        if (!table->IsOpen()) {
            continue;
        }
        Expected<std::vector<PatientResult>> results = ReadPatientResults(*table, data_.patientId);
        if (!results) {
            // Half a history would read as a patient with fewer results: say so instead.
            prompter_.Inform(
                Message::Verbatim(
                    tr("The results of this patient could not be read:").toStdString() + "\r\n" +
                    MessageUtf8(results.error())),
                kUserCaption, Prompter::Severity::Warning);
            ok = false;
            continue;
        }
        (table->Kind() == ResultKind::HbA1c ? data_.hba1c : data_.glucose) =
            std::move(results).value();
    }
    IdentifyPatient(data_);
    Fill();
    return ok;
}

void PatientPage::Fill() {
    const SettingsStore& settings = users_.Settings();
    title_->setText(tr("Patient %1").arg(PatientTitleText(data_)));
    const QStringList conflict = PatientConflictLines(data_.identity, settings);
    conflict_->setText(conflict.join(QLatin1Char('\n')));
    conflict_->setVisible(!conflict.isEmpty());

    for (ResultKind kind : {ResultKind::HbA1c, ResultKind::Glucose}) {
        const auto& results = kind == ResultKind::HbA1c ? data_.hba1c : data_.glucose;
        const PatientSummary s = SummarisePatient(kind, results, data_.today);
        QString text = kind == ResultKind::HbA1c ? QStringLiteral("HbA1c") : tr("Glucose");
        text += QLatin1Char('\n');
        if (s.count == 0) {
            text += tr("No results.");
        } else {
            PatientResult last;
            last.kind = kind;
            last.value = s.lastValue;
            const QString change = Q(FormatFigure(settings, kind, s.change, true));
            const QString mean = Q(FormatFigure(settings, kind, s.mean12Months, false));
            text += tr("Results: %1, from %2 to %3")
                        .arg(s.count)
                        .arg(Q(FormatDateText(settings, s.firstDate, "0000")),
                             Q(FormatDateText(settings, s.lastDate, "0000")));
            text += QLatin1Char('\n') +
                    tr("Last result: %1 on %2")
                        .arg(ResultText(settings, last),
                             Q(FormatDateText(settings, s.lastDate, s.lastTime) + " " +
                               FormatTimeText(settings, s.lastDate, s.lastTime)));
            text += QLatin1Char('\n') + tr("Change since the previous result: %1")
                                            .arg(change.isEmpty() ? QStringLiteral("-") : change);
            text += QLatin1Char('\n') + tr("Mean of the last 12 months: %1 (n = %2)")
                                            .arg(mean.isEmpty() ? QStringLiteral("-") : mean)
                                            .arg(s.countIn12Months);
        }
        (kind == ResultKind::HbA1c ? hba1cSummary_ : glucoseSummary_)->setText(text);
        FillChart(kind);
    }

    std::vector<const PatientResult*> rows;
    for (const auto* list : {&data_.hba1c, &data_.glucose}) {
        for (const PatientResult& r : *list) {
            rows.push_back(&r);
        }
    }
    std::stable_sort(rows.begin(), rows.end(), [](const PatientResult* a, const PatientResult* b) {
        return a->date + a->time > b->date + b->time;
    });
    table_->setRowCount(static_cast<int>(rows.size()));
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const PatientResult& r = *rows[static_cast<std::size_t>(i)];
        const QString cells[] = {
            Q(FormatDateText(settings, r.date, r.time)),
            Q(FormatTimeText(settings, r.date, r.time)),
            r.kind == ResultKind::HbA1c ? QStringLiteral("HbA1c") : tr("Glucose"),
            ResultText(settings, r),
            Q(r.memo),
            Q(r.patientName),
            r.birthDate.empty() ? QString() : BirthDateText(settings, r.birthDate)};
        for (int c = 0; c < 7; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c < 4) {
                item->setTextAlignment(Qt::AlignCenter);
            }
            table_->setItem(i, c, item);
        }
    }
}

void PatientPage::FillChart(ResultKind kind) {
    const SettingsStore& settings = users_.Settings();
    const auto& results = kind == ResultKind::HbA1c ? data_.hba1c : data_.glucose;
    QChart* chart = (kind == ResultKind::HbA1c ? hba1cChart_ : glucoseChart_)->chart();
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    const QString unit = Q(UnitText(settings, kind));
    chart->setTitle(kind == ResultKind::HbA1c ? QStringLiteral("HbA1c (%1)").arg(unit)
                                              : tr("Glucose (%1)").arg(unit));

    auto* line = new QLineSeries;
    line->setName(tr("Results"));
    line->setPen(QPen(kNavy, 2));
    auto* points = new QScatterSeries;
    points->setMarkerSize(8);
    points->setColor(kNavy);
    points->setBorderColor(kNavy);
    double minValue = DisplayValue(
        settings, kind, kind == ResultKind::HbA1c ? settings.hba1cLow : settings.glucoseLow);
    double maxValue = DisplayValue(
        settings, kind, kind == ResultKind::HbA1c ? settings.hba1cHigh : settings.glucoseHigh);
    const double low = std::min(minValue, maxValue);
    const double high = std::max(minValue, maxValue);
    minValue = low;
    maxValue = high;
    qint64 first = 0;
    qint64 last = 0;
    for (auto it = results.rbegin(); it != results.rend(); ++it) {
        const qint64 x = MomentOf(*it);
        const double y = ChartValue(settings, kind, it->value);
        line->append(static_cast<double>(x), y);
        points->append(static_cast<double>(x), y);
        minValue = std::min(minValue, y);
        maxValue = std::max(maxValue, y);
        first = it == results.rbegin() ? x : std::min(first, x);
        last = it == results.rbegin() ? x : std::max(last, x);
    }
    const qint64 day = 24LL * 3600 * 1000;
    if (results.empty()) {
        const QDate today = Today();
        last = QDateTime(today, QTime(0, 0)).toMSecsSinceEpoch();
        first = last - 365 * day;
    } else if (last - first < 2 * day) {
        first -= 15 * day;
        last += 15 * day;
    }
    const qint64 pad = (last - first) / 25;
    first -= pad;
    last += pad;

    // The operator's range: HbA1c target lines at both limits, glucose as a band.
    auto* lowLine = new QLineSeries;
    auto* highLine = new QLineSeries;
    lowLine->append(static_cast<double>(first), low);
    lowLine->append(static_cast<double>(last), low);
    highLine->append(static_cast<double>(first), high);
    highLine->append(static_cast<double>(last), high);
    if (kind == ResultKind::Glucose) {
        auto* band = new QAreaSeries(highLine, lowLine);
        band->setName(tr("Target range"));
        QColor fill = kTeal;
        fill.setAlpha(50);
        band->setBrush(fill);
        band->setPen(QPen(kTeal, 1));
        chart->addSeries(band);
    } else {
        for (QLineSeries* target : {lowLine, highLine}) {
            target->setName(tr("Target"));
            target->setPen(QPen(kTeal.darker(130), 2, Qt::DashLine));
            chart->addSeries(target);
        }
    }
    chart->addSeries(line);
    chart->addSeries(points);

    auto* xAxis = new QDateTimeAxis;
    xAxis->setFormat(AxisDateFormat(settings));
    xAxis->setRange(QDateTime::fromMSecsSinceEpoch(first), QDateTime::fromMSecsSinceEpoch(last));
    xAxis->setTickCount(5);
    auto* yAxis = new QValueAxis;
    const double span = std::max(maxValue - minValue, 1.0);
    yAxis->setRange(std::max(0.0, minValue - span * 0.12), maxValue + span * 0.12);
    yAxis->applyNiceNumbers();
    yAxis->setLabelFormat(QStringLiteral("%g"));
    yAxis->setTitleText(unit);
    chart->addAxis(xAxis, Qt::AlignBottom);
    chart->addAxis(yAxis, Qt::AlignLeft);
    for (QAbstractSeries* series : chart->series()) {
        series->attachAxis(xAxis);
        series->attachAxis(yAxis);
    }
    if (kind == ResultKind::HbA1c) {
        hba1cSeries_ = line;
    } else {
        glucoseSeries_ = line;
    }
}

QLineSeries* PatientPage::ResultSeries(ResultKind kind) const {
    return kind == ResultKind::HbA1c ? hba1cSeries_ : glucoseSeries_;
}

QChartView* PatientPage::ChartView(ResultKind kind) const {
    return kind == ResultKind::HbA1c ? hba1cChart_ : glucoseChart_;
}

QLabel* PatientPage::SummaryLabel(ResultKind kind) const {
    return kind == ResultKind::HbA1c ? hba1cSummary_ : glucoseSummary_;
}

int PatientPage::PrintReport() {
    if (!print_) {
        return -1;
    }
    PrintTarget printedTo;
    const int result = PrintPatientReport(data_, users_.Settings(), *print_, &printedTo);
    if (result == kPrintSpooled) {
        AuditEntry entry =
            PatientReportEntry(data_.patientId, data_.hba1c.size(), data_.glucose.size(),
                               printedTo.file ? OutputPlace::File(printedTo.name.toStdString())
                                              : OutputPlace::Printer(printedTo.name.toStdString()));
        entry.operatorId = users_.ActiveUserId();
        (void)AppendAudit(users_.DataFolder(), std::move(entry)); // printed already
    }
    if (result == kPrintNoPrinter) {
        prompter_.Inform(
            Message::Verbatim(tr("The patient report could not be printed: no printer is "
                                 "available, or the document could not be written.")
                                  .toStdString()),
            kUserCaption, Prompter::Severity::Warning);
    }
    return result;
}

} // namespace qa
