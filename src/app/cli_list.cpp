#include "app/cli_common.h"

#include "i18n/export_language.h"
#include "i18n/language.h"
#include "interop/delivery.h"
#include "interop/fhir_bundle.h"
#include "interop/hl7_message.h"
#include "print/list_report.h"
#include "print/report_header.h"
#include "store/audit_log.h"
#include "store/csv_export.h"
#include "store/list_filters.h"
#include "store/output_target.h"
#include "store/patient_history.h"
#include "store/profile_file.h"
#include "store/system_error.h"

#include <cerrno>
#include <chrono>

namespace qa::cli {

namespace {

constexpr std::size_t kListBlock = 1 << 16;

} // namespace

int Cli::ListOrExport(const std::string& command) {
    if (int code = Extra(0); code != kExitOk) {
        return code;
    }
    const bool toFile = command != "list";
    std::optional<ResultKind> kind = KindOption(options_);
    if (!kind) {
        return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "--kind is hba1c or glucose")));
    }
    auto out = Value(options_, "--out");
    if (toFile && (!out || out->empty())) {
        return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "%1 needs --out FILE"), {command}));
    }
    const std::string format = Value(options_, "--format").value_or("csv");
    if (Value(options_, "--format") && command != "export") {
        return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "--format goes with export")));
    }
    const bool withIds = options_.flags.count("--ids") != 0;
    if (withIds && command != "list") {
        return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "--ids goes with list")));
    }
    if (format != "csv" && format != "hl7" && format != "fhir") {
        return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "--format is csv, hl7 or fhir")));
    }
    auto weeks = Value(options_, "--weeks");
    auto from = Value(options_, "--from");
    auto to = Value(options_, "--to");
    if (weeks && (from || to)) {
        return Usage(
            CliText(QT_TRANSLATE_NOOP("qa::Cli", "--weeks and --from/--to exclude each other")));
    }
    if (from.has_value() != to.has_value()) {
        return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "--from and --to go together")));
    }
    std::optional<std::chrono::sys_days> fromDay, toDay;
    if (from) {
        fromDay = ParseStoredDate(*from);
        toDay = ParseStoredDate(*to);
        if (!fromDay || !toDay) {
            return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "dates are written YYYYMMDD")));
        }
    }
    int weekCount = 0;
    if (weeks) {
        if (weeks->empty() || weeks->find_first_not_of("0123456789") != std::string::npos ||
            weeks->size() > 2 || std::stoi(*weeks) > 12) {
            return Usage(
                CliText(QT_TRANSLATE_NOOP("qa::Cli", "--weeks takes a number from 0 to 12")));
        }
        weekCount = std::stoi(*weeks);
    }
    // The IDs name results for modify and delete. A file of an earlier version has none until
    // a writable open gives them (audited): --ids makes that open where the folder can be
    // locked, and reads as every reader does where it cannot (read-only media, the window).
    const bool idsWritable = withIds && TryLock();
    if (int code = OpenUser(!idsWritable, true); code != kExitOk) {
        return code;
    }
    std::optional<std::string> patient = Value(options_, "--patient");
    if (patient) {
        std::string id;
        if (int code = ResolvePatient(*patient, id); code != kExitOk) {
            return code;
        }
        patient = id;
    }
    if (patient && command == "report") {
        return PatientReport(*patient, *out);
    }
    const std::string patientCondition = patient ? PatientIdCondition(*patient) : "";
    std::string periodFrom;
    std::string periodTo;
    MeasurementTable& table = *kind == ResultKind::HbA1c
                                  ? static_cast<MeasurementTable&>(users_->HbA1cMain())
                                  : users_->GlucoseMain();
    // One query walks the list while the lines are written: a clinic's file of a million
    // results is never held in memory.
    ResultListStream stream(table, users_->Settings(), false);
    stream.SetWithIds(withIds);
    if (fromDay) {
        const Expected<std::string> search = SearchFilter(*fromDay, *toDay);
        if (!search) {
            err_ << ConsoleText(MessageUtf8(search.error())) << "\n";
            return kExitFailed;
        }
        table.filter = JoinConditions(*search, patientCondition);
        periodFrom = *from;
        periodTo = *to;
    } else if (weekCount > 0 && stream.Next() && ParseStoredDate(stream.Row().date)) {
        // The weeks count back from the newest stored date: the whole list's first row.
        const auto newest = *ParseStoredDate(stream.Row().date);
        periodTo = stream.Row().date;
        periodFrom = StoredDateText(newest - std::chrono::days{7 * weekCount});
        table.filter = JoinConditions(PeriodFilter(newest, weekCount), patientCondition);
    } else if (!patientCondition.empty()) {
        table.filter = patientCondition;
    }
    // A failure of the first row's read (the weeks' newest date) is told too.
    const Status walkedBefore = table.ReadStatus();
    if (const Status started = stream.Restart(); !started) {
        return ReadFailure(table, started);
    }
    if (!walkedBefore) {
        return ReadFailure(table, walkedBefore);
    }
    if (!toFile) {
        if (withIds) {
            out_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "Result ID")) << ",";
        }
        stream.SetVisibleControls(true);
        out_ << CsvOptionsForLanguage(*kind).header;
        // Lines go out in blocks: a stream insertion for each of a million lines costs more
        // than formatting them.
        std::string block;
        while (stream.Next()) {
            if (withIds) {
                // An ID is hex digits and hyphens: nothing in it to quote.
                block += table.resultId.View();
                block += ',';
            }
            stream.AppendCsvLine(block);
            if (block.size() >= kListBlock) {
                out_.write(block.data(), static_cast<std::streamsize>(block.size()));
                block.clear();
            }
        }
        out_.write(block.data(), static_cast<std::streamsize>(block.size()));
        out_.flush();
        const Status walked = stream.WalkStatus();
        return walked ? kExitOk : ReadFailure(table, walked);
    }
    if (command == "report") {
        // The header's texts are translated like the page's own: with the application that
        // holds the operator's catalogue already made.
        std::unique_ptr<QGuiApplication> app = PrintingApplication();
        ReportContext context;
        context.clinic = QString::fromStdString(users_->Settings().hospital);
        context.operatorId = QString::fromStdString(users_->ActiveUserId());
        context.subject =
            Translate("ReportHeader", QT_TRANSLATE_NOOP("ReportHeader", "Result kind: %1"))
                .arg(*kind == ResultKind::HbA1c
                         ? QStringLiteral("HbA1c")
                         : Translate("ReportHeader", QT_TRANSLATE_NOOP("ReportHeader", "Glucose")));
        context.period = ReportPeriodText(users_->Settings(), periodFrom, periodTo);
        std::size_t printed = 0;
        int code = Report(*kind, stream, *out, printed, context);
        if (code == kExitOk) {
            AuditOutput(audit_action::kPrint, *kind, printed, *out);
        }
        return code;
    }
    if (format != "csv") {
        if (const Status refused = CheckOutputTarget(*out, folder_); !refused) {
            err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The file was not written: %1"),
                            {MessageUtf8(refused.error())})
                 << "\n";
            return kExitFailed;
        }
        // The stream's walk reads only the list's columns; the messages read whole rows
        // through their own walk, in the same order.
        table.EndWalk();
        std::size_t count = 0;
        int code = ExportMessages(format, table, *out, count);
        if (code == kExitOk) {
            AuditOutput(audit_action::kExport, *kind, count, *out + " (" + format + ")");
        }
        return code;
    }
    CsvFileWriter writer(*out, CsvOptionsForLanguage(*kind), folder_);
    if (const Status opened = writer.Open(); !opened) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The file was not written: %1"),
                        {MessageUtf8(opened.error())})
             << "\n";
        return kExitFailed;
    }
    std::size_t written = 0;
    std::string line;
    while (stream.Next()) {
        line.clear();
        stream.AppendCsvLine(line);
        writer.WriteLine(line);
        ++written;
    }
    if (const Status walked = stream.WalkStatus(); !walked) {
        return ReadFailure(table, walked); // the writer leaves the target as it was
    }
    if (const Status finished = writer.Finish(); !finished) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The file was not written: %1"),
                        {MessageUtf8(finished.error())})
             << "\n";
        return kExitFailed;
    }
    AuditOutput(audit_action::kExport, *kind, written, *out);
    return kExitOk;
}

int Cli::ExportMessages(const std::string& format, MeasurementTable& table, const std::string& path,
                        std::size_t& count) {
    interop::MessageContext context = MessageContextOfUser();
    if (!NameEntries(context)) {
        return kExitFailed;
    }
    bool readFailed = false;
    // A walk of the table for each pass of the writer; the count is that of the last pass.
    const interop::ResultWalk walk = [&](const interop::ResultEach& each,
                                         interop::ResultParts parts) {
        count = 0;
        const Status read = interop::ForEachListedResult(
            table,
            [&](const interop::StoredResult& r) {
                ++count;
                return each(r);
            },
            parts);
        readFailed = readFailed || !read;
        return read.ok();
    };
    AtomicFileWriter file(path);
    Status written = file.Open();
    file.WriteInBackground(); // a message file of a whole table runs to a hundred MB and more
    const interop::TextSink sink = [&file, &written](std::string_view block) {
        written = file.Write(block);
        return written.ok();
    };
    const bool composed =
        written && (format == "hl7" ? interop::WriteHl7Batch(walk, context, sink)
                                    : interop::WriteFhirBundle(walk, context, sink));
    if (readFailed) {
        // The walk's reason stays with the table until its next requery.
        return ReadFailure(table, table.ReadStatus()); // the temporary file goes with the writer
    }
    if (written && !composed) {
        written = FileFailure(path);
    }
    if (written) {
        written = file.Commit();
    }
    if (!written) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The file cannot be written: "))
             << MessageUtf8(written.error()) << "\n";
        return kExitFailed;
    }
    return kExitOk;
}

void Cli::AuditOutput(const char* action, ResultKind kind, std::size_t rows,
                      const std::string& path) {
    // Every output of the command line is a file.
    AuditEntry entry = OutputEntry(action, kind, rows, OutputPlace::File(path));
    entry.operatorId = users_->ActiveUserId();
    entry.patientId = Value(options_, "--patient").value_or("");
    if (Status appended = AppendAudit(folder_, std::move(entry)); !appended) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The audit log cannot be written: "))
             << MessageUtf8(appended.error()) << "\n";
    }
}

} // namespace qa::cli
