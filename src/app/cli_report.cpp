#include "app/cli_common.h"

#include "i18n/language.h"
#include "print/list_report.h"
#include "print/patient_report.h"
#include "print/report_header.h"
#include "print/report_source.h"
#include "store/audit_log.h"
#include "store/list_filters.h"
#include "store/output_target.h"
#include "store/patient_history.h"

#include <algorithm>
#include <chrono>
#include <unistd.h>

namespace qa::cli {

namespace {

// The data report read straight from the list's query: rows are asked for in order, once per
// column group, so the stream moves forward and starts over for the next group; nothing but
// the current row is held, however many pages the report takes.
class StreamedReportSource : public ReportSource {
public:
    StreamedReportSource(ResultListStream& stream, ResultKind kind, int rows)
        : stream_(stream), rows_(rows) {
        // The columns of the all-data list, at their screen widths.
        AddColumn("No.", 80);
        AddColumn("Date", 150);
        AddColumn("Time", 100);
        AddColumn("Result", kind == ResultKind::HbA1c ? 180 : 200);
        if (kind == ResultKind::HbA1c) {
            AddColumn("eAG", 180);
            AddColumn("Patient ID", 180);
        }
    }

    int ColumnCount() const override { return static_cast<int>(headings_.size()); }
    QString Heading(int column) const override {
        return column >= 0 && column < ColumnCount() ? headings_[column] : QString();
    }
    int ColumnWidth(int column) const override {
        return column >= 0 && column < ColumnCount() ? widths_[column] : 0;
    }
    int RowCount() const override { return rows_; }
    QString CellText(int row, int column) const override {
        if (!MoveTo(row) || column < 0 || column >= static_cast<int>(cells_.size())) {
            return QString();
        }
        return cells_[static_cast<std::size_t>(column)];
    }
    Status WalkStatus() const { return stream_.WalkStatus(); }

private:
    void AddColumn(const char* heading, int width) {
        // Headed as the list heads them, in the operator's language.
        headings_.push_back(Translate("qa::ListHeading", heading));
        widths_.push_back(width);
    }
    bool MoveTo(int row) const {
        if (row == stream_.Index() && !cells_.empty()) {
            return true;
        }
        if (row < stream_.Index() && !stream_.Restart()) {
            return false;
        }
        while (stream_.Index() < row) {
            if (!stream_.Next()) {
                cells_.clear();
                return false;
            }
        }
        cells_.clear();
        for (const std::string& cell : stream_.Cells()) {
            cells_.push_back(QString::fromStdString(cell));
        }
        return true;
    }

    ResultListStream& stream_;
    int rows_;
    std::vector<QString> headings_;
    std::vector<int> widths_;
    mutable std::vector<QString> cells_;
};

} // namespace

std::unique_ptr<QGuiApplication> Cli::PrintingApplication() {
    // Printing lays text out with the window system's fonts; without a display the
    // offscreen platform does the same work.
    std::unique_ptr<QGuiApplication> app;
    if (QCoreApplication::instance() == nullptr) {
        if (qEnvironmentVariableIsEmpty("DISPLAY") &&
            qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        static int argc = 1;
        static char name[] = "quorina1c-cli";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    // The printed words are in the language of the operator the command works for.
    ApplyLanguage(CurrentLanguage());
    return app;
}

int Cli::Report(ResultKind kind, ResultListStream& stream, const std::string& path,
                std::size_t& printed, const ReportContext& context) {
    std::unique_ptr<QGuiApplication> app = PrintingApplication();
    MeasurementTable& table = kind == ResultKind::HbA1c
                                  ? static_cast<MeasurementTable&>(users_->HbA1cMain())
                                  : users_->GlucoseMain();
    const Expected<int> rows = table.CountRows();
    if (!rows) {
        return ReadFailure(table, rows.status());
    }
    printed = static_cast<std::size_t>(*rows);
    StreamedReportSource source(stream, kind, *rows);
    if (const Status refused = CheckOutputTarget(path, folder_); !refused) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The file was not written: %1"),
                        {MessageUtf8(refused.error())})
             << "\n";
        return kExitFailed;
    }
    // Written beside the target and renamed, so a failed report never leaves half a file
    // under the name the operator gave, nor writes through a link planted there.
    std::string temp = TempPathBeside(path) + ".pdf"; // the printer picks PDF by the suffix
    if (const Status reported =
            PrintReportToPdf(source, users_->Settings(), QString::fromStdString(temp), context);
        !reported) {
        ::unlink(temp.c_str());
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The report was not printed: %1"),
                        {MessageUtf8(reported.error())})
             << "\n";
        return kExitFailed;
    }
    if (const Status walked = source.WalkStatus(); !walked) {
        ::unlink(temp.c_str());
        return ReadFailure(table, walked);
    }
    if (const Status moved = MoveIntoPlace(temp, path); !moved) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The file was not written: %1"),
                        {MessageUtf8(moved.error())})
             << "\n";
        return kExitFailed;
    }
    return kExitOk;
}

int Cli::PatientReport(const std::string& patientId, const std::string& path) {
    PatientReportData data;
    data.patientId = patientId;
    data.operatorId = users_->ActiveUserId();
    data.today = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
    for (MeasurementTable* table : {static_cast<MeasurementTable*>(&users_->HbA1cMain()),
                                    static_cast<MeasurementTable*>(&users_->GlucoseMain())}) {
        Expected<std::vector<PatientResult>> results = ReadPatientResults(*table, patientId);
        if (!results) {
            err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The results cannot be read:\n")) << "  "
                 << MessageUtf8(results.error()) << "\n";
            return kExitFailed;
        }
        (table->Kind() == ResultKind::HbA1c ? data.hba1c : data.glucose) =
            std::move(results).value();
    }
    // Over every record of the patient: a name outside the period still disagrees.
    IdentifyPatient(data);
    auto from = Value(options_, "--from");
    auto to = Value(options_, "--to");
    if (from) {
        const Expected<std::string> search =
            SearchFilter(*ParseStoredDate(*from), *ParseStoredDate(*to));
        if (!search) {
            err_ << ConsoleText(MessageUtf8(search.error())) << "\n";
            return kExitFailed;
        }
        data.fromDate = *from;
        data.toDate = *to;
    } else if (auto weeks = Value(options_, "--weeks"); weeks && std::stoi(*weeks) > 0) {
        // Counted back from the patient's newest result, as the list's period choice counts
        // from the newest stored date.
        std::string newest;
        for (const auto* list : {&data.hba1c, &data.glucose}) {
            if (!list->empty()) {
                newest = std::max(newest, list->front().date);
            }
        }
        if (auto day = ParseStoredDate(newest)) {
            data.fromDate = StoredDateText(*day - std::chrono::days{7 * std::stoi(*weeks)});
            data.toDate = newest;
        }
    }
    if (!data.fromDate.empty()) {
        for (auto* list : {&data.hba1c, &data.glucose}) {
            std::erase_if(*list, [&](const PatientResult& r) {
                return r.date < data.fromDate || r.date > data.toDate;
            });
        }
    }
    if (const Status refused = CheckOutputTarget(path, folder_); !refused) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The file was not written: %1"),
                        {MessageUtf8(refused.error())})
             << "\n";
        return kExitFailed;
    }
    std::unique_ptr<QGuiApplication> app = PrintingApplication();
    std::string temp = TempPathBeside(path) + ".pdf"; // the printer picks PDF by the suffix
    if (const Status printed =
            PrintPatientReportToPdf(data, users_->Settings(), QString::fromStdString(temp));
        !printed) {
        ::unlink(temp.c_str());
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The report was not printed: %1"),
                        {MessageUtf8(printed.error())})
             << "\n";
        return kExitFailed;
    }
    if (const Status moved = MoveIntoPlace(temp, path); !moved) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The file was not written: %1"),
                        {MessageUtf8(moved.error())})
             << "\n";
        return kExitFailed;
    }
    AuditEntry entry = PatientReportEntry(patientId, data.hba1c.size(), data.glucose.size(),
                                          OutputPlace::File(path));
    entry.operatorId = users_->ActiveUserId();
    if (Status appended = AppendAudit(folder_, std::move(entry)); !appended) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The audit log cannot be written: "))
             << MessageUtf8(appended.error()) << "\n";
    }
    return kExitOk;
}

} // namespace qa::cli
