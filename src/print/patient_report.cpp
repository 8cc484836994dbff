#include "print/patient_report.h"

#include "print/list_report.h"
#include "print/print_dialog_service.h"
#include "store/display_format.h"
#include "store/list_filters.h"
#include "store/text_encoding.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace qa {

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("PatientReport", text);
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QString DateText(const SettingsStore& settings, const std::string& date) {
    return Q(FormatDateText(settings, date, "0000"));
}

// A step of 1, 2, 2.5 or 5 times a power of ten that cuts `range` into about `parts` pieces.
double NiceStep(double range, int parts) {
    const double raw = range / parts;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (m * power >= raw) {
            return m * power;
        }
    }
    return 10.0 * power;
}

double DayOf(const PatientResult& result) {
    auto day = ParseStoredDate(result.date);
    const double minutes = result.time.size() == 4 ? LeadingInt(result.time.substr(0, 2)) * 60 +
                                                         LeadingInt(result.time.substr(2, 2))
                                                   : 0;
    return (day ? static_cast<double>(day->time_since_epoch().count()) : 0.0) + minutes / 1440.0;
}

QString KindName(ResultKind kind) {
    return kind == ResultKind::HbA1c ? QStringLiteral("HbA1c")
                                     : Tr(QT_TRANSLATE_NOOP("PatientReport", "Glucose"));
}

QString ResultText(const SettingsStore& settings, const PatientResult& result) {
    return Q(result.kind == ResultKind::HbA1c ? FormatHbA1cText(settings, result.value, false)
                                              : FormatGlucoseText(settings, result.value));
}

} // namespace

void IdentifyPatient(PatientReportData& data) {
    data.identity = PatientIdentity{};
    for (const auto* list : {&data.hba1c, &data.glucose}) {
        for (const PatientResult& r : *list) {
            CountIdentity(data.identity, r.patientName, r.birthDate);
        }
    }
    data.patientName = data.identity.names.empty() ? "" : data.identity.names.front().text;
}

QString PatientTitleText(const PatientReportData& data) {
    QString title = Q(DecodeStoredText(data.patientId));
    QStringList names;
    for (const auto& name : data.identity.names) {
        names << Q(name.text);
    }
    if (names.isEmpty() && !data.patientName.empty()) {
        names << Q(data.patientName);
    }
    if (!names.isEmpty()) {
        title += QStringLiteral("  ") + names.join(QStringLiteral(" / "));
    }
    return title;
}

QString BirthDateText(const SettingsStore& settings, const std::string& stored) {
    const std::string text = FormatDateText(settings, stored, "0000");
    return Q(text.empty() || text.starts_with(kInvalidDateMark) ? stored : text);
}

QStringList PatientConflictLines(const PatientIdentity& identity, const SettingsStore& settings) {
    QStringList lines;
    if (!identity.Disagrees()) {
        return lines;
    }
    auto variants = [](const std::vector<PatientIdentity::Variant>& list, auto&& text) {
        QStringList parts;
        for (const auto& variant : list) {
            parts << (variant.count == 1 ? Tr(QT_TRANSLATE_NOOP("PatientReport", "%1 (1 result)"))
                                               .arg(text(variant.text))
                                         : Tr(QT_TRANSLATE_NOOP("PatientReport", "%1 (%2 results)"))
                                               .arg(text(variant.text))
                                               .arg(variant.count));
        }
        return parts.join(QStringLiteral(", "));
    };
    lines << Tr(QT_TRANSLATE_NOOP("PatientReport",
                                  "Warning: the records of this patient disagree. Check them "
                                  "before relying on these results."));
    if (identity.NamesDisagree()) {
        lines << Tr(QT_TRANSLATE_NOOP("PatientReport", "Names on the records: %1"))
                     .arg(variants(identity.names, [](const std::string& t) { return Q(t); }));
    }
    if (identity.BirthDatesDisagree()) {
        lines << Tr(QT_TRANSLATE_NOOP("PatientReport", "Birth dates on the records: %1"))
                     .arg(variants(identity.birthDates, [&](const std::string& t) {
                         return BirthDateText(settings, t);
                     }));
    }
    return lines;
}

void DrawResultChart(QPainter& painter, const QRectF& area, const SettingsStore& settings,
                     ResultKind kind, const std::vector<PatientResult>& results,
                     const QFont& font) {
    painter.save();
    painter.setFont(font);
    const QFontMetricsF metrics(font, painter.device());
    const double line = metrics.height();
    const double stroke = std::max(1.0, line / 14.0);

    // Value range: every result and the operator's limits, with room above and below.
    const double low = DisplayValue(
        settings, kind, kind == ResultKind::HbA1c ? settings.hba1cLow : settings.glucoseLow);
    const double high = DisplayValue(
        settings, kind, kind == ResultKind::HbA1c ? settings.hba1cHigh : settings.glucoseHigh);
    double minValue = std::min(low, high);
    double maxValue = std::max(low, high);
    double firstDay = 0;
    double lastDay = 0;
    for (std::size_t i = 0; i < results.size(); ++i) {
        const double v = ChartValue(settings, kind, results[i].value);
        minValue = std::min(minValue, v);
        maxValue = std::max(maxValue, v);
        const double d = DayOf(results[i]);
        firstDay = i == 0 ? d : std::min(firstDay, d);
        lastDay = i == 0 ? d : std::max(lastDay, d);
    }
    if (maxValue - minValue < 1e-9) {
        maxValue = minValue + 1.0;
    }
    const double step = NiceStep(maxValue - minValue, 5);
    const double bottomValue = std::floor(minValue / step) * step;
    const double topValue = std::ceil(maxValue / step) * step;
    if (lastDay - firstDay < 1.0) {
        firstDay -= 15;
        lastDay += 15;
    }
    const double dayPad = (lastDay - firstDay) * 0.04;
    firstDay -= dayPad;
    lastDay += dayPad;

    // Plot rectangle inside the area: the unit above, value labels at the left, dates below.
    const QString unit = Q(UnitText(settings, kind));
    double labelWidth = metrics.horizontalAdvance(unit);
    const int decimals = step < 1.0 ? 1 : 0;
    for (double v = bottomValue; v <= topValue + step / 2; v += step) {
        labelWidth =
            std::max(labelWidth, metrics.horizontalAdvance(QString::number(v, 'f', decimals)));
    }
    const QRectF plot(area.left() + labelWidth + line * 0.6, area.top() + line * 1.4,
                      area.width() - labelWidth - line * 1.2, area.height() - line * 3.0);
    auto xOf = [&](double day) {
        return plot.left() + (day - firstDay) / (lastDay - firstDay) * plot.width();
    };
    auto yOf = [&](double value) {
        return plot.bottom() - (value - bottomValue) / (topValue - bottomValue) * plot.height();
    };

    // Title and unit.
    painter.setPen(QColor(0x1f, 0x2d, 0x4d));
    painter.drawText(QRectF(area.left(), area.top(), area.width(), line),
                     Qt::AlignLeft | Qt::AlignVCenter, unit);
    painter.drawText(QRectF(area.left(), area.top(), area.width(), line),
                     Qt::AlignHCenter | Qt::AlignVCenter, KindName(kind));

    // The operator's range.
    const QColor teal(0x1a, 0x9e, 0x96);
    if (kind == ResultKind::Glucose) {
        QColor band = teal;
        band.setAlpha(40);
        painter.fillRect(QRectF(QPointF(plot.left(), yOf(std::max(low, high))),
                                QPointF(plot.right(), yOf(std::min(low, high)))),
                         band);
    }

    // Grid and value labels.
    painter.setPen(QPen(QColor(0xd0, 0xd5, 0xdd), stroke * 0.6));
    for (double v = bottomValue; v <= topValue + step / 2; v += step) {
        const double y = yOf(v);
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.save();
        painter.setPen(Qt::black);
        painter.drawText(QRectF(area.left(), y - line / 2, labelWidth, line),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(v, 'f', decimals));
        painter.restore();
    }
    // Date labels: both ends and evenly spaced days between.
    const int ticks = std::max(2, std::min(6, static_cast<int>(plot.width() / (line * 7))));
    for (int i = 0; i <= ticks; ++i) {
        const double day = firstDay + dayPad + (lastDay - firstDay - 2 * dayPad) * i / ticks;
        const double x = xOf(day);
        const std::string date = StoredDateText(
            std::chrono::sys_days{std::chrono::days{static_cast<int>(std::floor(day))}});
        painter.setPen(QPen(QColor(0xd0, 0xd5, 0xdd), stroke * 0.6));
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        painter.setPen(Qt::black);
        const double w = line * 6;
        painter.drawText(QRectF(x - w / 2, plot.bottom() + line * 0.3, w, line),
                         Qt::AlignHCenter | Qt::AlignTop, DateText(settings, date));
    }
    painter.setPen(QPen(Qt::black, stroke));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);

    if (kind == ResultKind::HbA1c) {
        painter.setPen(QPen(teal.darker(130), stroke * 1.2, Qt::DashLine));
        for (double limit : {low, high}) {
            painter.drawLine(QPointF(plot.left(), yOf(limit)), QPointF(plot.right(), yOf(limit)));
        }
    }

    // The results, oldest to newest.
    std::vector<QPointF> points;
    for (auto it = results.rbegin(); it != results.rend(); ++it) {
        points.emplace_back(xOf(DayOf(*it)), yOf(ChartValue(settings, kind, it->value)));
    }
    std::stable_sort(points.begin(), points.end(),
                     [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
    const QColor navy(0x1f, 0x3a, 0x6e);
    if (points.size() > 1) {
        QPainterPath path(points.front());
        for (std::size_t i = 1; i < points.size(); ++i) {
            path.lineTo(points[i]);
        }
        painter.setPen(QPen(navy, stroke * 1.5));
        painter.drawPath(path);
    }
    painter.setPen(QPen(navy, stroke));
    painter.setBrush(navy);
    const double radius = line / 5;
    for (const QPointF& point : points) {
        painter.drawEllipse(point, radius, radius);
    }
    painter.restore();
}

void PatientReportJob::PrintDocument() {
    if (!data_) {
        return;
    }
    PatientReportUnit unit(this);
    unit.Print();
}

PatientReportUnit::PatientReportUnit(PatientReportJob* job) : PrintUnit(job), reportJob_(job) {}

void PatientReportUnit::CreateFonts() {
    titleFont_ = ReportFont(kReportSans, 11, QFont::Bold);
    headingFont_ = ReportFont(kReportSans, 9, QFont::Bold);
    bodyFont_.printer = ReportFont(kReportSans, 9);
    bodyFont_.screen = bodyFont_.printer;
    headerFont_ = ReportFont(kReportSerif, 10);
    footerFont_ = ReportFont(kReportSerif, 9);
    chartFont_ = ReportFont(kReportSans, 8);
}

void PatientReportUnit::ComputeMetrics() {
    headerLineHeight_ = FontHeight(headerFont_);
    headerBandHeight_ = 3 * headerLineHeight_; // two lines and a gap
    footerLineHeight_ = FontHeight(footerFont_);
    footerBandHeight_ = 2 * footerLineHeight_;
    textLineHeight_ = FontHeight(bodyFont_.printer);
    headingRowHeight_ = textLineHeight_;
    ComputePrintableRect();
}

void PatientReportUnit::DefineColumns() {
    InsertColumn(0, Tr(QT_TRANSLATE_NOOP("PatientReport", "No.")), 0.07, 0);
    InsertColumn(1, Tr(QT_TRANSLATE_NOOP("PatientReport", "Date")), 0.15, 0);
    InsertColumn(2, Tr(QT_TRANSLATE_NOOP("PatientReport", "Time")), 0.11, 0);
    InsertColumn(3, Tr(QT_TRANSLATE_NOOP("PatientReport", "Test")), 0.11, 0);
    InsertColumn(4, Tr(QT_TRANSLATE_NOOP("PatientReport", "Result")), 0.17, 0);
    InsertColumn(5, Tr(QT_TRANSLATE_NOOP("PatientReport", "Memo")), 0.39, 0);
    AssignColumnPositions();
}

void PatientReportUnit::StartPage() {
    PrintUnit::StartPage();
    if (tableStarted_) {
        FontSelector heading(Job()->Sink(), &headingFont_);
        PrintHeadings(0, 0);
    }
}

bool PatientReportUnit::PrintHeadings(unsigned format, int mode) {
    return PrintRuledHeadings(format, mode);
}

void PatientReportUnit::PrintHeader() {
    const PatientReportData& data = *reportJob_->Data();
    const SettingsStore& settings = reportJob_->Settings();
    FontSelector header(Job()->Sink(), &headerFont_);
    const QDateTime now = reportJob_->Now();
    QString first = ReportDateTimeText(settings, now);
    first += kUnitSeparator;
    first += Tr(QT_TRANSLATE_NOOP("PatientReport", "QuorinA1c Patient Report"));
    first += kRecordSeparator;
    first += QCoreApplication::translate("qa::ListReport", kReportPagePattern)
                 .arg(Job()->Info()->currentPage);
    PrintHeaderText(first);

    ReportContext context;
    context.clinic = Q(settings.hospital);
    context.operatorId = Q(data.operatorId);
    const QString patient = PatientTitleText(data);
    context.subject = Tr(QT_TRANSLATE_NOOP("PatientReport", "Patient: %1")).arg(patient);
    context.period = ReportPeriodText(settings, data.fromDate, data.toDate);
    const int saved = rowHeightUsed_;
    PrintReportContextLine(*this, ReportContextText(context),
                           Job()->PrintableRect().top - headerBandHeight_ + headerLineHeight_,
                           headerLineHeight_);
    rowHeightUsed_ = saved;
}

void PatientReportUnit::PrintFooter() {
    FontSelector footer(Job()->Sink(), &footerFont_);
    QString text = QLatin1String(kReportFooterLeft);
    text += kUnitSeparator;
    text += QCoreApplication::translate("qa::ListReport", kReportFooterCentre);
    text += kRecordSeparator;
    text += Tr(QT_TRANSLATE_NOOP("PatientReport", "Patient Report."));
    PrintFooterText(text);
}

void PatientReportUnit::PrintTitleLine(const QString& text) {
    FontSelector title(Job()->Sink(), &titleFont_);
    const int height = QFontMetrics(titleFont_, Job()->Device()).height();
    EnsureSpace(height);
    TextBlock block;
    block.text = text;
    block.left = Job()->PrintableRect().left;
    block.right = Job()->PrintableRect().right;
    block.top = Job()->Cursor().y();
    block.lineHeight = height;
    PrintTextBlock(block);
    Job()->Cursor().ry() += height;
}

void PatientReportUnit::PrintSummary(ResultKind kind, const std::vector<PatientResult>& results) {
    const SettingsStore& settings = reportJob_->Settings();
    const PatientSummary s = SummarisePatient(kind, results, reportJob_->Data()->today);
    PrintTitleLine(KindName(kind));
    QStringList lines;
    if (s.count == 0) {
        lines << Tr(QT_TRANSLATE_NOOP("PatientReport", "No results."));
    } else {
        lines << Tr(QT_TRANSLATE_NOOP("PatientReport", "Results: %1, from %2 to %3"))
                     .arg(s.count)
                     .arg(DateText(settings, s.firstDate), DateText(settings, s.lastDate));
        PatientResult last;
        last.kind = kind;
        last.value = s.lastValue;
        QString change = Q(FormatFigure(settings, kind, s.change, true));
        QString mean = Q(FormatFigure(settings, kind, s.mean12Months, false));
        lines << Tr(QT_TRANSLATE_NOOP("PatientReport", "Last result: %1 on %2"))
                     .arg(ResultText(settings, last),
                          DateText(settings, s.lastDate) + QLatin1Char(' ') +
                              Q(FormatTimeText(settings, s.lastDate, s.lastTime)));
        lines << Tr(QT_TRANSLATE_NOOP("PatientReport", "Change since the previous result: %1"))
                     .arg(change.isEmpty() ? QStringLiteral("-") : change);
        lines << Tr(QT_TRANSLATE_NOOP("PatientReport", "Mean of the last 12 months: %1 (n = %2)"))
                     .arg(mean.isEmpty() ? QStringLiteral("-") : mean)
                     .arg(s.countIn12Months);
    }
    for (const QString& text : lines) {
        EnsureSpace(-2);
        TextBlock block;
        block.text = text;
        block.left = Job()->PrintableRect().left;
        block.right = Job()->PrintableRect().right;
        block.top = Job()->Cursor().y();
        PrintTextBlock(block);
        Job()->Cursor().ry() += TextLineHeight();
    }
    Job()->Cursor().ry() += TextLineHeight() / 2;
}

void PatientReportUnit::PrintChart(ResultKind kind, const std::vector<PatientResult>& results,
                                   int height) {
    if (results.empty()) {
        return;
    }
    EnsureSpace(height);
    const DeviceRect& printable = Job()->PrintableRect();
    if (QPainter* painter = Job()->Painter()) {
        DrawResultChart(*painter,
                        QRectF(printable.left, Job()->Cursor().y(), printable.Width(), height),
                        reportJob_->Settings(), kind, results, chartFont_);
    }
    Job()->Cursor().ry() += height + TextLineHeight();
}

bool PatientReportUnit::Print() {
    PrintUnit::Print();
    const PatientReportData* data = reportJob_->Data();
    if (!data) {
        return false;
    }
    StartPage();
    FontSelector body(Job()->Sink(), &bodyFont_.printer);
    CurrentFontScope current(this, &bodyFont_);
    const int chartHeight = Job()->PrintableRect().Height() / 4;
    if (const QStringList conflict = PatientConflictLines(data->identity, reportJob_->Settings());
        !conflict.isEmpty()) {
        // First on the page, above every figure: the figures may mix two people.
        PrintTitleLine(conflict.front());
        for (qsizetype i = 1; i < conflict.size(); ++i) {
            EnsureSpace(-2);
            TextBlock block;
            block.text = conflict[i];
            block.left = Job()->PrintableRect().left;
            block.right = Job()->PrintableRect().right;
            block.top = Job()->Cursor().y();
            PrintTextBlock(block);
            Job()->Cursor().ry() += TextLineHeight();
        }
        Job()->Cursor().ry() += TextLineHeight() / 2;
    }
    PrintSummary(ResultKind::HbA1c, data->hba1c);
    PrintSummary(ResultKind::Glucose, data->glucose);
    PrintChart(ResultKind::HbA1c, data->hba1c, chartHeight);
    PrintChart(ResultKind::Glucose, data->glucose, chartHeight);

    // Both kinds in one table, newest first.
    std::vector<const PatientResult*> rows;
    for (const auto* list : {&data->hba1c, &data->glucose}) {
        for (const PatientResult& r : *list) {
            rows.push_back(&r);
        }
    }
    std::stable_sort(rows.begin(), rows.end(), [](const PatientResult* a, const PatientResult* b) {
        return a->date + a->time > b->date + b->time;
    });
    tableStarted_ = true;
    EnsureSpace(-1);
    {
        FontSelector heading(Job()->Sink(), &headingFont_);
        PrintHeadings(0, 0);
    }
    const SettingsStore& settings = reportJob_->Settings();
    int number = 0;
    for (const PatientResult* r : rows) {
        EnsureSpace(-2);
        PrintCell(0, QString::number(++number), 0);
        PrintCell(1, Q(FormatDateText(settings, r->date, r->time)), 0);
        PrintCell(2, Q(FormatTimeText(settings, r->date, r->time)), 0);
        PrintCell(3, KindName(r->kind), 0);
        PrintCell(4, ResultText(settings, *r), 0);
        if (!r->memo.empty()) {
            PrintCell(5, CutToReportBytes(Q(r->memo)), 0);
        }
        EndRow(true);
    }
    EndPage();
    return true;
}

int PrintPatientReport(const PatientReportData& data, const SettingsStore& settings,
                       PrintDialogService& dialogs, PrintTarget* printedTo) {
    PatientReportJob job(&dialogs);
    job.SetData(&data);
    job.SetSettings(settings);
    const int result = job.Print();
    if (printedTo != nullptr) {
        *printedTo = job.Target();
    }
    return result;
}

Status PrintPatientReportToPdf(const PatientReportData& data, const SettingsStore& settings,
                               const QString& pdfPath, std::function<QDateTime()> now) {
    auto fail = [](const QString& message) {
        return Status(Message::Verbatim(message.toStdString()));
    };
    if (pdfPath.isEmpty()) {
        return fail(QStringLiteral("No output file was given."));
    }
    PdfFileDialogService dialogs(pdfPath);
    PatientReportJob job(&dialogs);
    job.SetData(&data);
    job.SetSettings(settings);
    job.SetClock(std::move(now));
    if (job.Print() != kPrintSpooled || job.DevicePages() == 0) {
        return fail(QStringLiteral("The report could not be written to %1.").arg(pdfPath));
    }
    return {};
}

} // namespace qa
