#pragma once

#include "print/print_unit.h"
#include "print/report_header.h"
#include "store/patient_history.h"
#include "store/settings.h"
#include "store/status.h"

#include <QDateTime>
#include <QFont>
#include <QRectF>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

class QPainter;

namespace qa {

// Everything the patient report prints, read before printing starts.
struct PatientReportData {
    std::string patientId;   // as stored
    std::string patientName; // the name most of the records carry
    // Every name and birth date the patient's records carry; more than one of either is a
    // disagreement the page and the report show, never settle.
    PatientIdentity identity;
    std::vector<PatientResult> hba1c;   // newest first
    std::vector<PatientResult> glucose; // newest first
    std::string fromDate;               // stored dates of the period; empty when unlimited
    std::string toDate;
    std::string operatorId;
    std::chrono::sys_days today{};
};

// Fills `identity` and `patientName` from the results read (all of them, before any period
// narrows what is printed).
void IdentifyPatient(PatientReportData& data);

// The title of the page and the report: the ID, then every name on the records.
QString PatientTitleText(const PatientReportData& data);

// The warning lines when the records disagree about the patient's name or birth date, in
// the operator's language; empty when they agree.
QStringList PatientConflictLines(const PatientIdentity& identity, const SettingsStore& settings);

// A stored birth date ("YYYYMMDD") in the operator's date format, as stored when it names no
// day.
QString BirthDateText(const SettingsStore& settings, const std::string& stored);

// Draws the results of one kind over time in `area`: value axis in the operator's unit, the
// target range of the settings (HbA1c: target lines at the low and high limits; glucose: the
// range as a band), one point per result joined in date order. Vectors only, so it prints
// sharp on any printer and in the PDF.
void DrawResultChart(QPainter& painter, const QRectF& area, const SettingsStore& settings,
                     ResultKind kind, const std::vector<PatientResult>& results, const QFont& font);

class PatientReportJob : public PrintJob {
public:
    explicit PatientReportJob(PrintDialogService* dialogs = nullptr) : PrintJob(dialogs) {}

    // `data` is not owned and must outlive Print.
    void SetData(const PatientReportData* data) { data_ = data; }
    void SetSettings(const SettingsStore& settings) { settings_ = settings; }
    void SetClock(std::function<QDateTime()> now) { now_ = std::move(now); }

    const SettingsStore& Settings() const { return settings_; }
    const PatientReportData* Data() const { return data_; }
    QDateTime Now() const { return now_ ? now_() : QDateTime::currentDateTime(); }

protected:
    void PrintDocument() override;

private:
    const PatientReportData* data_ = nullptr;
    SettingsStore settings_;
    std::function<QDateTime()> now_;
};

// Page 1: summary of each kind and the charts; then the results table over as many pages as
// it needs, every page with the two-line header and the footer.
class PatientReportUnit : public PrintUnit {
public:
    explicit PatientReportUnit(PatientReportJob* job);

    bool Print() override;
    void DefineColumns() override;
    void CreateFonts() override;
    void ComputeMetrics() override;
    void StartPage() override;
    bool PrintHeadings(unsigned format, int mode) override;
    void PrintHeader() override;
    void PrintFooter() override;

private:
    void PrintSummary(ResultKind kind, const std::vector<PatientResult>& results);
    void PrintChart(ResultKind kind, const std::vector<PatientResult>& results, int height);
    void PrintTitleLine(const QString& text);

    PatientReportJob* reportJob_;
    FontPair bodyFont_;
    QFont titleFont_;
    QFont headingFont_;
    QFont headerFont_;
    QFont footerFont_;
    QFont chartFont_;
    bool tableStarted_ = false;
};

// The print button of the patient page. `printedTo`, when given, is where the pages went.
int PrintPatientReport(const PatientReportData& data, const SettingsStore& settings,
                       PrintDialogService& dialogs, PrintTarget* printedTo = nullptr);

// The patient report written to a PDF file (the command line, tests). Needs a
// QGuiApplication. Fails when nothing was written.
Status PrintPatientReportToPdf(const PatientReportData& data, const SettingsStore& settings,
                               const QString& pdfPath, std::function<QDateTime()> now = {});

} // namespace qa
