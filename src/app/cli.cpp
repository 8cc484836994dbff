#include "app/cli.h"

#include "app/data_folder.h"
#include "app/instance_lock.h"
#include "app/usage.h"
#include "device/clock.h"
#include "device/port_discovery.h"
#include "device/qt/headless_download.h"
#include "i18n/export_language.h"
#include "i18n/language.h"
#include "i18n/message_catalogue.h"
#include "i18n/message_text.h"
#include "i18n/operator_language.h"
#include "interop/delivery.h"
#include "interop/fhir_bundle.h"
#include "interop/hl7_message.h"
#include "interop/outbox.h"
#include "interop/qt/fhir_sender.h"
#include "print/list_report.h"
#include "print/patient_report.h"
#include "print/report_source.h"
#include "store/audit_log.h"
#include "store/backup.h"
#include "store/csv_export.h"
#include "store/display_format.h"
#include "store/installation_id.h"
#include "store/interface_settings.h"
#include "store/list_filters.h"
#include "store/output_target.h"
#include "store/patient_history.h"
#include "store/profile_file.h"
#include "store/program_version.h"
#include "store/result_list.h"
#include "store/settings.h"
#include "store/system_error.h"
#include "store/text_encoding.h"
#include "store/users.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <unistd.h>

namespace qa {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

std::string ConsoleText(std::string text) {
    // Message texts use CR LF line breaks; a console wants plain line feeds.
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        out += text[i];
    }
    return out;
}

// The application object the meter's serial port and the FHIR client wait in: made when the
// command line runs alone, none when it runs inside one (the tests).
std::unique_ptr<QCoreApplication> EventLoopApplication() {
    if (QCoreApplication::instance() != nullptr) {
        return nullptr;
    }
    static int argc = 1;
    static char name[] = "quorina1c-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QCoreApplication>(argc, argv);
}

// A text of the command line itself in the current language, %1, %2 ... filled in.
std::string CliText(const char* text, const std::vector<std::string>& args = {}) {
    return FillArguments(Translate("qa::Cli", text).toStdString(), args);
}

// The usage table's texts in the current language.
std::string UsageWords(const std::string& text) {
    return Translate("qa::Usage", text.c_str()).toStdString();
}

// Questions are answered yes (the command itself was the operator's decision); messages go
// to the error stream.
class ConsolePrompter : public Prompter {
public:
    explicit ConsolePrompter(std::ostream& err) : err_(err) {}
    bool Confirm(const Message& text, const Message&) override {
        err_ << ConsoleText(MessageUtf8(text)) << " "
             << CliText(QT_TRANSLATE_NOOP("qa::Cli", "yes")) << "\n";
        return true;
    }
    void Inform(const Message& text, const Message&, Severity) override {
        err_ << ConsoleText(MessageUtf8(text)) << "\n";
    }

private:
    std::ostream& err_;
};

struct Options {
    std::string dataDir;
    std::string command;
    std::vector<std::string> positional;
    std::map<std::string, std::string> values; // --name VALUE
    std::set<std::string> flags;               // options without a value
};

bool ParseArgs(const std::vector<std::string>& args, Options& options, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--data-dir") {
            if (i + 1 >= args.size()) {
                error = CliText(QT_TRANSLATE_NOOP("qa::Cli", "--data-dir needs a folder"));
                return false;
            }
            options.dataDir = args[++i];
        } else if (const UsageOption* option = FindOption(CliUsage(), a)) {
            if (option->value.empty()) {
                options.flags.insert(option->name);
                continue;
            }
            if (i + 1 >= args.size()) {
                error = CliText(QT_TRANSLATE_NOOP("qa::Cli", "%1 needs a value"), {a});
                return false;
            }
            options.values[a] = args[++i];
        } else if (a.rfind("--", 0) == 0) {
            error = CliText(QT_TRANSLATE_NOOP("qa::Cli", "unknown option %1"), {a});
            return false;
        } else if (options.command.empty()) {
            options.command = a;
        } else {
            options.positional.push_back(a);
        }
    }
    if (options.command.empty() && options.flags.empty()) {
        error = CliText(QT_TRANSLATE_NOOP("qa::Cli", "no command given"));
        return false;
    }
    return true;
}

std::optional<std::string> Value(const Options& options, const char* name) {
    auto found = options.values.find(name);
    if (found == options.values.end()) {
        return std::nullopt;
    }
    return found->second;
}

// The kind option: "hba1c" (the default) or "glucose"; nothing when it is neither.
std::optional<ResultKind> KindOption(const Options& options) {
    std::string kind = Value(options, "--kind").value_or("hba1c");
    std::transform(kind.begin(), kind.end(), kind.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (kind == "hba1c") {
        return ResultKind::HbA1c;
    }
    if (kind == "glucose") {
        return ResultKind::Glucose;
    }
    return std::nullopt;
}

std::string DataFolderOf(const std::string& explicitFolder) {
    DataFolderInputs inputs = DataFolderInputsFromEnvironment();
    if (!explicitFolder.empty()) {
        inputs.explicitFolder = explicitFolder;
    }
    return ResolveDataFolder(inputs);
}

// The language of the operator named by --user, else of the current operator, read from
// the arguments as they are (the options are judged later) without creating any file.
Language LanguageOfArguments(const std::vector<std::string>& args) {
    std::string dataDir;
    std::string user;
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == "--data-dir") {
            dataDir = args[i + 1];
        } else if (args[i] == "--user") {
            user = args[i + 1];
        }
    }
    return OperatorLanguage(DataFolderOf(dataDir), user);
}

class Cli {
public:
    Cli(std::ostream& out, std::ostream& err) : out_(out), err_(err), prompter_(err) {}

    int Run(const std::vector<std::string>& args) {
        // Everything the command says, its usage errors and help included, is in the
        // language of the operator it works for, known before the options are judged.
        ApplyLanguage(LanguageOfArguments(args));
        std::string error;
        if (!ParseArgs(args, options_, error)) {
            return Usage(error);
        }
        if (options_.flags.count("--help") != 0) {
            out_ << HelpText(CliUsage(), UsageWords);
            return kExitOk;
        }
        if (options_.flags.count("--version") != 0) {
            out_ << VersionText() << "\n";
            return kExitOk;
        }
        if (options_.command.empty()) {
            return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "no command given")));
        }
        // Before the data folder is made: a mistyped command should leave no trace.
        if (FindCommand(CliUsage(), options_.command) == nullptr) {
            return Usage(
                CliText(QT_TRANSLATE_NOOP("qa::Cli", "unknown command %1"), {options_.command}));
        }
        folder_ = DataFolderOf(options_.dataDir);
        UsePrivateFileModes();
        if (!EnsureFolder(folder_)) {
            err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The data folder cannot be created: "))
                 << folder_ << ": " << SystemErrorText(errno) << "\n";
            return kExitFailed;
        }
        if (MakeDataFolderPrivate(folder_)) {
            err_ << FillArguments(Translate("qa::Startup", kPrivateFolderMessage).toStdString(),
                                  {folder_})
                 << "\n";
        }
        const std::string& c = options_.command;
        if (c == "download") {
            return Download();
        }
        if (c == "list" || c == "export" || c == "report") {
            return ListOrExport(c);
        }
        if (c == "patients") {
            return Patients();
        }
        if (c == "users") {
            return Users();
        }
        if (c == "settings") {
            return Settings();
        }
        if (c == "send") {
            return Send();
        }
        if (c == "audit") {
            return Audit();
        }
        if (c == "backup") {
            return Backup();
        }
        if (c == "restore") {
            return Restore();
        }
        return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "unknown command %1"), {c}));
    }

private:
    int Usage(const std::string& problem) {
        err_ << "quorina1c-cli: " << problem << "\n" << ShortUsageText(CliUsage(), UsageWords);
        return kExitUsage;
    }

    // Commands that change files hold the same lock as the window, so a download never runs
    // into the files of a window that is importing at the same time.
    bool Lock() {
        lock_ = std::make_unique<InstanceLock>(QString::fromStdString(folder_));
        switch (lock_->Acquire()) {
        case InstanceLock::Result::Acquired:
            RemoveStaleTempFiles(folder_);
            return true;
        case InstanceLock::Result::AlreadyRunning:
            err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli",
                                              "QuorinA1c is already running on this data folder: "))
                 << folder_ << "\n";
            return false;
        case InstanceLock::Result::Failed:
            err_ << lock_->ErrorText().toStdString() << "\n";
            return false;
        }
        return false;
    }

    // Loads the users and opens the files of --user (default: the current user).
    // Returns an exit code, kExitOk when the user's files are open.
    int OpenUser(bool readOnly = false) {
        users_ = std::make_unique<UserStore>(folder_, prompter_);
        users_->SetReadOnly(readOnly);
        users_->SetSingleThread(true); // each command runs on the calling thread alone
        users_->SetWalkOnly(readOnly); // the readers walk the tables, they never list them
        if (!users_->LoadUsers()) {
            err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The user file cannot be read: "))
                 << users_->UserInfoPath() << ": " << SystemErrorText(errno) << "\n";
            return kExitFailed;
        }
        if (auto id = Value(options_, "--user")) {
            const auto& list = users_->UserList();
            if (std::find(list.begin(), list.end(), *id) == list.end()) {
                err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "quorina1c-cli: unknown user %1"),
                                {*id})
                     << "\n";
                return kExitUsage;
            }
            if (!users_->OpenUser(*id)) {
                return OpenFailure();
            }
            FollowOperatorLanguage();
            return kExitOk;
        }
        if (!users_->OpenUserDatabases() || !users_->LoadSettings()) {
            return OpenFailure();
        }
        FollowOperatorLanguage();
        return kExitOk;
    }

    // What the command prints from here on is in the language of the operator it works for.
    void FollowOperatorLanguage() {
        ApplyLanguage(LanguageFromSetting(users_->Settings().language));
    }

    int OpenFailure() {
        err_ << (users_->HasDamagedFile()
                     ? ConsoleText(MessageUtf8(Message(user_text::kDamagedFile, {})))
                     : FillArguments(CliText(QT_TRANSLATE_NOOP(
                                         "qa::Cli", "The files of user %1 cannot be opened:")),
                                     {users_->ActiveUserId()}))
             << "\n";
        for (const std::string& problem : users_->OpenProblems()) {
            err_ << "  " << problem << "\n";
        }
        if (users_->OpenProblems().empty()) {
            err_ << "  " << SettingsFilePath(folder_, users_->ActiveUserId()) << "\n";
        }
        return kExitFailed;
    }

    // A list that could not be read whole is an error, never an empty or short list.
    int ReadFailure(const MeasurementTable& table) {
        if (table.IsDamaged()) {
            err_ << ConsoleText(MessageUtf8(Message(user_text::kDamagedFile, {}))) << "\n";
        } else {
            err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The results cannot be read:\n"));
        }
        err_ << "  " << table.Path().Str() << ": " << table.LastError() << "\n";
        return kExitFailed;
    }

    // Stray words after a command were once ignored, so a mistyped option ran the command
    // with other settings than the operator meant.
    int Extra(std::size_t allowed) {
        if (options_.positional.size() <= allowed) {
            return kExitOk;
        }
        return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "unexpected argument %1"),
                             {options_.positional[allowed]}));
    }

    int Download();
    int ListOrExport(const std::string& command);
    int Report(ResultKind kind, ResultListStream& stream, const std::string& path,
               std::size_t& printed, const ReportContext& context);
    // The patient's results of both kinds, within the period of --from/--to or --weeks.
    int PatientReport(const std::string& patientId, const std::string& path);
    int Patients();
    // Starts a QGuiApplication for printing when none runs.
    std::unique_ptr<QGuiApplication> PrintingApplication();
    int Users();
    int Settings();
    // Interface to the laboratory system: messages, files, delivery.
    int ExportMessages(const std::string& format, MeasurementTable& table, const std::string& path,
                       std::size_t& count);
    interop::MessageContext MessageContextOfUser();
    // Fills the installation's UUID in, making it on first use; false when it said why not.
    bool NameEntries(interop::MessageContext& context);
    int Send();
    int Audit();
    int Backup();
    int Restore();
    // Records an export or a print of the listed results in the audit log.
    void AuditOutput(const char* action, ResultKind kind, std::size_t rows,
                     const std::string& path);

    std::ostream& out_;
    std::ostream& err_;
    ConsolePrompter prompter_;
    Options options_;
    std::string folder_;
    std::unique_ptr<InstanceLock> lock_;
    std::unique_ptr<UserStore> users_;
};

// SIGINT and SIGTERM during a download only raise this flag; the download loop polls it
// and stops the exchange cleanly, so the process can say what happened and exit 1.
std::atomic<bool> gStopDownload{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void RequestDownloadStop(int) {
    gStopDownload.store(true);
}

// Installs the stop handlers for the lifetime of one download, then puts back what was there.
class StopSignals {
public:
    StopSignals() {
        gStopDownload = false;
        struct sigaction action {};
        action.sa_handler = RequestDownloadStop;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &oldInt_);
        sigaction(SIGTERM, &action, &oldTerm_);
    }
    ~StopSignals() {
        sigaction(SIGINT, &oldInt_, nullptr);
        sigaction(SIGTERM, &oldTerm_, nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

int Cli::Download() {
    if (int code = Extra(0); code != kExitOk) {
        return code;
    }
    auto port = Value(options_, "--port");
    std::optional<ResultKind> kind = KindOption(options_);
    if (!port || port->empty()) {
        return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "download needs --port DEVICE")));
    }
    if (!kind) {
        return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "--kind is hba1c or glucose")));
    }
    if (!Lock()) {
        return kExitFailed;
    }
    if (int code = OpenUser(); code != kExitOk) {
        return code;
    }
    const std::unique_ptr<QCoreApplication> app = EventLoopApplication();
    ApplyLanguage(CurrentLanguage());
    SteadyClock clock;
    HeadlessDownload download(*users_, clock, prompter_, [this](const Message& text) {
        err_ << ConsoleText(MessageUtf8(text)) << "\n";
    });
    auto device = PortDevicePath(*port);
    StopSignals stopSignals;
    download.SetCancelRequest(&gStopDownload);
    auto result =
        download.Run(*port, device.value_or(""), *kind, options_.flags.count("--erase") != 0);
    if (result.outcome == HeadlessDownload::Outcome::Cancelled) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "Download cancelled: nothing of the "
                                                     "transfer was stored, and the meter "
                                                     "keeps its results."))
             << "\n";
        return kExitFailed;
    }
    if (result.outcome == HeadlessDownload::Outcome::Failed) {
        return kExitFailed;
    }
    out_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "imported %1"), {std::to_string(result.imported)})
         << "\n";
    return kExitOk;
}

constexpr std::size_t kListBlock = 1 << 16;

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
    if (int code = OpenUser(true); code != kExitOk) {
        return code;
    }
    const std::optional<std::string> patient = Value(options_, "--patient");
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
    if (fromDay) {
        FilterResult search = SearchFilter(*fromDay, *toDay);
        if (!search.ok) {
            err_ << ConsoleText(MessageUtf8(search.message)) << "\n";
            return kExitFailed;
        }
        table.filter = JoinConditions(search.filter, patientCondition);
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
    if (!stream.Restart() || table.ReadFailed()) {
        return ReadFailure(table);
    }
    if (!toFile) {
        out_ << CsvOptionsForLanguage(*kind).header;
        // Lines go out in blocks: a stream insertion for each of a million lines costs more
        // than formatting them.
        std::string block;
        while (stream.Next()) {
            stream.AppendCsvLine(block);
            if (block.size() >= kListBlock) {
                out_.write(block.data(), static_cast<std::streamsize>(block.size()));
                block.clear();
            }
        }
        out_.write(block.data(), static_cast<std::streamsize>(block.size()));
        out_.flush();
        return stream.Failed() ? ReadFailure(table) : kExitOk;
    }
    if (command == "report") {
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
        if (std::string refused = CheckOutputTarget(*out, folder_); !refused.empty()) {
            err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The file was not written: %1"), {refused})
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
    std::string error;
    CsvFileWriter writer(*out, CsvOptionsForLanguage(*kind), folder_);
    if (!writer.Open(error)) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The file was not written: %1"), {error})
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
    if (stream.Failed()) {
        return ReadFailure(table); // the writer leaves the target as it was
    }
    if (!writer.Finish(error)) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The file was not written: %1"), {error})
             << "\n";
        return kExitFailed;
    }
    AuditOutput(audit_action::kExport, *kind, written, *out);
    return kExitOk;
}

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
    bool Failed() const { return stream_.Failed(); }

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
    const int rows = table.CountRows();
    if (rows < 0) {
        return ReadFailure(table);
    }
    printed = static_cast<std::size_t>(rows);
    StreamedReportSource source(stream, kind, rows);
    if (std::string refused = CheckOutputTarget(path, folder_); !refused.empty()) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The file was not written: %1"), {refused})
             << "\n";
        return kExitFailed;
    }
    // Written beside the target and renamed, so a failed report never leaves half a file
    // under the name the operator gave, nor writes through a link planted there.
    std::string temp = TempPathBeside(path) + ".pdf"; // the printer picks PDF by the suffix
    QString error;
    if (!PrintReportToPdf(source, users_->Settings(), QString::fromStdString(temp), &error,
                          context)) {
        ::unlink(temp.c_str());
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The report was not printed: %1"),
                        {error.toStdString()})
             << "\n";
        return kExitFailed;
    }
    if (source.Failed()) {
        ::unlink(temp.c_str());
        return ReadFailure(table);
    }
    std::string moveError;
    if (!MoveIntoPlace(temp, path, moveError)) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The file was not written: %1"), {moveError})
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
        std::vector<PatientResult> results;
        std::string error;
        if (!ReadPatientResults(*table, patientId, results, error)) {
            err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The results cannot be read:\n")) << "  "
                 << error << "\n";
            return kExitFailed;
        }
        (table->Kind() == ResultKind::HbA1c ? data.hba1c : data.glucose) = std::move(results);
    }
    auto from = Value(options_, "--from");
    auto to = Value(options_, "--to");
    if (from) {
        FilterResult search = SearchFilter(*ParseStoredDate(*from), *ParseStoredDate(*to));
        if (!search.ok) {
            err_ << ConsoleText(MessageUtf8(search.message)) << "\n";
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
    for (const auto* list : {&data.hba1c, &data.glucose}) {
        if (!list->empty() && data.patientName.empty()) {
            data.patientName = list->front().patientName;
        }
    }
    if (std::string refused = CheckOutputTarget(path, folder_); !refused.empty()) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The file was not written: %1"), {refused})
             << "\n";
        return kExitFailed;
    }
    std::unique_ptr<QGuiApplication> app = PrintingApplication();
    std::string temp = TempPathBeside(path) + ".pdf"; // the printer picks PDF by the suffix
    QString error;
    if (!PrintPatientReportToPdf(data, users_->Settings(), QString::fromStdString(temp), &error)) {
        ::unlink(temp.c_str());
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The report was not printed: %1"),
                        {error.toStdString()})
             << "\n";
        return kExitFailed;
    }
    std::string moveError;
    if (!MoveIntoPlace(temp, path, moveError)) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The file was not written: %1"), {moveError})
             << "\n";
        return kExitFailed;
    }
    AuditEntry entry;
    entry.operatorId = users_->ActiveUserId();
    entry.action = audit_action::kPrint;
    entry.patientId = patientId;
    entry.detail = "patient report of " + std::to_string(data.hba1c.size()) + " HbA1c and " +
                   std::to_string(data.glucose.size()) + " glucose results to " + path;
    std::string auditError;
    if (!AppendAudit(folder_, std::move(entry), &auditError)) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The audit log cannot be written: "))
             << auditError << "\n";
    }
    return kExitOk;
}

int Cli::Patients() {
    if (int code = Extra(0); code != kExitOk) {
        return code;
    }
    std::optional<ResultKind> kind = KindOption(options_);
    if (!kind) {
        return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "--kind is hba1c or glucose")));
    }
    for (const char* option : {"--weeks", "--from", "--to", "--out", "--format", "--patient"}) {
        if (Value(options_, option)) {
            return Usage(
                CliText(QT_TRANSLATE_NOOP("qa::Cli", "%1 does not go with patients"), {option}));
        }
    }
    if (int code = OpenUser(true); code != kExitOk) {
        return code;
    }
    MeasurementTable& table = *kind == ResultKind::HbA1c
                                  ? static_cast<MeasurementTable&>(users_->HbA1cMain())
                                  : users_->GlucoseMain();
    std::vector<PatientOverview> patients;
    std::string error;
    if (!ReadPatientOverview(table, patients, error)) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The results cannot be read:\n")) << "  "
             << error << "\n";
        return kExitFailed;
    }
    const SettingsStore& settings = users_->Settings();
    // Headed like the list: the columns in the operator's language, tab-separated.
    out_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "Patient ID\tResults\tLast date\tLast result"))
         << "\n";
    for (const PatientOverview& p : patients) {
        out_ << DecodeStoredText(p.patientId) << "\t" << p.count << "\t"
             << FormatDateText(settings, p.lastDate, p.lastTime) << "\t"
             << (*kind == ResultKind::HbA1c ? FormatHbA1cText(settings, p.lastValue, false)
                                            : FormatGlucoseText(settings, p.lastValue))
             << "\n";
    }
    return kExitOk;
}

int Cli::Users() {
    if (options_.positional.empty()) {
        return Usage(CliText(
            QT_TRANSLATE_NOOP("qa::Cli", "users needs list, add ID, delete ID or switch ID")));
    }
    const std::string& action = options_.positional[0];
    if (action == "list") {
        if (int code = Extra(1); code != kExitOk) {
            return code;
        }
        users_ = std::make_unique<UserStore>(folder_, prompter_);
        if (!users_->LoadUsers()) {
            err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The user file cannot be read: "))
                 << users_->UserInfoPath() << ": " << SystemErrorText(errno) << "\n";
            return kExitFailed;
        }
        for (const auto& id : users_->UserList()) {
            out_ << (id == users_->ActiveUserId() ? "* " : "  ") << id << "\n";
        }
        return kExitOk;
    }
    if (options_.positional.size() != 2 ||
        (action != "add" && action != "delete" && action != "switch")) {
        return Usage(CliText(
            QT_TRANSLATE_NOOP("qa::Cli", "users needs list, add ID, delete ID or switch ID")));
    }
    const std::string& id = options_.positional[1];
    if (!Lock()) {
        return kExitFailed;
    }
    users_ = std::make_unique<UserStore>(folder_, prompter_);
    // Only the user file: a user whose database cannot be opened can still be switched away
    // from, deleted, or have another user added beside it.
    if (!users_->LoadUsers()) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The user file cannot be read: "))
             << users_->UserInfoPath() << ": " << SystemErrorText(errno) << "\n";
        return kExitFailed;
    }
    if (action == "add") {
        return users_->AddUser(id) == UserStore::Outcome::Done ? kExitOk : kExitFailed;
    }
    const auto& list = users_->UserList();
    if (std::find(list.begin(), list.end(), id) == list.end()) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "quorina1c-cli: unknown user %1"), {id})
             << "\n";
        return kExitUsage;
    }
    // A switch whose files cannot be opened has said so; a delete still goes ahead as long
    // as the user became the current one, so that damaged files can be removed.
    bool switched = users_->SwitchUser(id);
    if (action == "switch" || (!switched && users_->CurrentUserId() != id)) {
        return switched ? kExitOk : kExitFailed;
    }
    return users_->DeleteCurrentUser() == UserStore::Outcome::Done ? kExitOk : kExitFailed;
}

int Cli::Settings() {
    if (options_.positional.empty() ||
        (options_.positional[0] != "show" && options_.positional[0] != "set")) {
        return Usage(
            CliText(QT_TRANSLATE_NOOP("qa::Cli", "settings needs show or set KEY=VALUE...")));
    }
    bool set = options_.positional[0] == "set";
    if (set && options_.positional.size() < 2) {
        return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "settings set needs KEY=VALUE")));
    }
    if (!set) {
        if (int code = Extra(1); code != kExitOk) {
            return code;
        }
    }
    if (set && !Lock()) {
        return kExitFailed;
    }
    if (int code = OpenUser(!set); code != kExitOk) {
        return code;
    }
    SettingsStore& s = users_->Settings();
    if (!set) {
        for (const auto& [key, value] : SettingsEntries(s)) {
            out_ << key << "=" << value << "\n";
        }
        InterfaceSettings link;
        LoadInterfaceSettings(SettingsFilePath(folder_, users_->ActiveUserId()), link);
        for (const auto& [key, value] : InterfaceEntries(link)) {
            out_ << key << "=" << value << "\n";
        }
        return kExitOk;
    }
    const std::string settingsPath = SettingsFilePath(folder_, users_->ActiveUserId());
    InterfaceSettings link;
    if (!LoadInterfaceSettings(settingsPath, link)) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The settings file cannot be read: "))
             << settingsPath << "\n";
        return kExitFailed;
    }
    const InterfaceSettings linkBefore = link;
    SettingsStore changed = s;
    for (std::size_t i = 1; i < options_.positional.size(); ++i) {
        const std::string& pair = options_.positional[i];
        std::size_t eq = pair.find('=');
        if (eq == std::string::npos) {
            return Usage(CliText(
                QT_TRANSLATE_NOOP("qa::Cli", "settings set takes KEY=VALUE, not %1"), {pair}));
        }
        Message problem;
        const std::string key = pair.substr(0, eq);
        if (IsInterfaceKey(key) ? !ApplyInterfaceEntry(link, key, pair.substr(eq + 1), problem)
                                : !ApplySettingsEntry(changed, key, pair.substr(eq + 1), problem)) {
            return Usage(ConsoleText(MessageUtf8(problem)));
        }
    }
    if (link != linkBefore && !SaveInterfaceSettings(settingsPath, link)) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The settings file cannot be written.\n"));
        return kExitFailed;
    }
    s = changed;
    if (!users_->SaveSettings()) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The settings file cannot be written: "))
             << SettingsFilePath(folder_, users_->ActiveUserId()) << ": " << SystemErrorText(errno)
             << "\n";
        return kExitFailed;
    }
    return kExitOk;
}

interop::MessageContext Cli::MessageContextOfUser() {
    interop::MessageContext context;
    context.display = users_->Settings();
    LoadInterfaceSettings(SettingsFilePath(folder_, users_->ActiveUserId()), context.link);
    context.operatorId = users_->ActiveUserId();
    context.composed = interop::LocalNow();
    return context;
}

bool Cli::NameEntries(interop::MessageContext& context) {
    std::string error;
    if (!InstallationUuid(folder_, context.installation, error)) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The file cannot be written: ")) << error
             << "\n";
        return false;
    }
    return true;
}

int Cli::ExportMessages(const std::string& format, MeasurementTable& table, const std::string& path,
                        std::size_t& count) {
    interop::MessageContext context = MessageContextOfUser();
    if (format == "fhir" && !NameEntries(context)) {
        return kExitFailed;
    }
    bool readFailed = false;
    // A walk of the table for each pass of the writer; the count is that of the last pass.
    const interop::ResultWalk walk = [&](const interop::ResultEach& each,
                                         interop::ResultParts parts) {
        count = 0;
        const bool read = interop::ForEachListedResult(
            table,
            [&](const interop::StoredResult& r) {
                ++count;
                return each(r);
            },
            parts);
        readFailed = readFailed || !read;
        return read;
    };
    AtomicFileWriter file(path);
    bool written = file.Open();
    file.WriteInBackground(); // a message file of a whole table runs to a hundred MB and more
    const interop::TextSink sink = [&file](std::string_view block) { return file.Write(block); };
    if (written) {
        written = format == "hl7" ? interop::WriteHl7Batch(walk, context, sink)
                                  : interop::WriteFhirBundle(walk, context, sink);
    }
    if (readFailed) {
        return ReadFailure(table); // the temporary file goes with the writer
    }
    if (!written || !file.Commit()) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The file cannot be written: ")) << path
             << ": " << SystemErrorText(errno) << "\n";
        return kExitFailed;
    }
    return kExitOk;
}

// Queues every stored result the outbox does not know, then sends what is pending: to an
// MLLP receiver one message at a time, to a FHIR server one transaction Bundle of results at
// a time; the outcome of each is in the outbox before the next goes out.
int Cli::Send() {
    if (int code = Extra(0); code != kExitOk) {
        return code;
    }
    if (!Lock()) {
        return kExitFailed;
    }
    if (int code = OpenUser(); code != kExitOk) {
        return code;
    }
    interop::MessageContext context = MessageContextOfUser();
    const std::string destination = Value(options_, "--to").value_or(context.link.destination);
    if (destination.empty()) {
        return Usage(CliText(
            QT_TRANSLATE_NOOP("qa::Cli", "send needs --to mllp://HOST:PORT or a FHIR base URL "
                                         "http(s)://HOST/PATH, or the Destination setting")));
    }
    auto endpoint = interop::ParseMllpDestination(destination);
    auto fhirBase = endpoint ? std::nullopt : interop::ParseFhirBase(destination);
    if (!endpoint && !fhirBase) {
        return Usage(CliText(
            QT_TRANSLATE_NOOP("qa::Cli", "the destination is written mllp://HOST:PORT or as a "
                                         "FHIR base URL http(s)://HOST/PATH, not %1"),
            {destination}));
    }
    interop::Outbox outbox;
    std::string error;
    if (!outbox.Open(interop::Outbox::PathFor(folder_, users_->ActiveUserId()), error)) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "Nothing was sent: %1"), {error}) << "\n";
        return kExitFailed;
    }
    if (options_.flags.count("--retry-held") != 0 && outbox.ReleaseHeld() < 0) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The delivery file cannot be written: "))
             << outbox.LastError() << "\n";
        return kExitFailed;
    }
    for (MeasurementTable* table : {static_cast<MeasurementTable*>(&users_->HbA1cMain()),
                                    static_cast<MeasurementTable*>(&users_->GlucoseMain())}) {
        std::vector<interop::StoredResult> results;
        if (!interop::ReadStoredResults(*table, results)) {
            err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The stored results cannot be read: "))
                 << table->LastError() << "\n";
            return kExitFailed;
        }
        if (interop::QueueResults(outbox, results, context) < 0) {
            err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The delivery file cannot be written: "))
                 << outbox.LastError() << "\n";
            return kExitFailed;
        }
    }
    const std::chrono::seconds timeout(context.link.ackTimeoutSeconds);
    interop::DeliverySummary summary;
    if (endpoint) {
        interop::MllpSender sender(*endpoint, timeout);
        summary = interop::SendPending(
            outbox, sender,
            [this](const interop::OutboxEntry& entry, const interop::MllpSender::Reply& reply) {
                if (reply.outcome == interop::MllpSender::Outcome::Refused) {
                    err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli",
                                                      "held %1: the receiver refused it (%2 %3)"),
                                    {entry.controlId, reply.ack.code, reply.ack.reason})
                         << "\n";
                }
            });
    } else {
        if (!NameEntries(context)) {
            return kExitFailed;
        }
        // The HTTP client waits for its answer in an event loop.
        const std::unique_ptr<QCoreApplication> app = EventLoopApplication();
        interop::FhirSender sender(*fhirBase, timeout);
        summary = interop::SendPendingFhir(
            outbox, sender, context,
            [this](const std::string& controlId, const std::string& reason) {
                err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli",
                                                  "held %1: the FHIR server refused it (%2)"),
                                {controlId, reason})
                     << "\n";
            });
    }
    if (!summary.problem.empty()) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "Sending stopped: %1"), {summary.problem})
             << "\n";
    }
    const int undelivered = summary.pending + summary.heldTotal;
    out_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "sent %1, pending %2"),
                    {std::to_string(summary.sent), std::to_string(undelivered)})
         << "\n";
    return undelivered == 0 ? kExitOk : kExitFailed;
}

void Cli::AuditOutput(const char* action, ResultKind kind, std::size_t rows,
                      const std::string& path) {
    AuditEntry entry;
    entry.operatorId = users_->ActiveUserId();
    entry.action = action;
    entry.patientId = Value(options_, "--patient").value_or("");
    entry.detail = std::to_string(rows) + (kind == ResultKind::HbA1c ? " HbA1c" : " glucose") +
                   " results to " + path;
    std::string error;
    if (!AppendAudit(folder_, std::move(entry), &error)) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The audit log cannot be written: ")) << error
             << "\n";
    }
}

int Cli::Audit() {
    if (!options_.positional.empty()) {
        return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "audit takes no argument %1"),
                             {options_.positional[0]}));
    }
    AuditQuery query;
    query.patientId = Value(options_, "--patient").value_or("");
    auto from = Value(options_, "--from");
    auto to = Value(options_, "--to");
    for (const auto& day : {from, to}) {
        if (day && !ParseStoredDate(*day)) {
            return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "dates are written YYYYMMDD")));
        }
    }
    query.fromDay = from.value_or("");
    query.toDay = to.value_or("");
    std::vector<AuditEntry> entries;
    std::string error;
    if (!ReadAudit(folder_, query, entries, error)) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The audit log cannot be read: ")) << error
             << "\n";
        return kExitFailed;
    }
    for (const auto& entry : entries) {
        out_ << AuditLine(entry) << "\n";
    }
    return kExitOk;
}

int Cli::Backup() {
    auto out = Value(options_, "--out");
    if (!out || out->empty()) {
        return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "backup needs --out FILE")));
    }
    if (!options_.positional.empty()) {
        return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "backup takes no argument %1"),
                             {options_.positional[0]}));
    }
    std::string error;
    std::vector<BackupMember> members;
    if (!WriteBackup(folder_, *out, kProgramVersion, error, &members)) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The backup could not be written: ")) << error
             << "\n";
        return kExitFailed;
    }
    AuditEntry entry;
    entry.action = audit_action::kBackup;
    entry.detail = std::to_string(members.size()) + " files to " + *out;
    AppendAudit(folder_, std::move(entry));
    out_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "backed up %1 files to %2"),
                    {std::to_string(members.size()), *out})
         << "\n";
    return kExitOk;
}

int Cli::Restore() {
    if (options_.positional.size() != 1) {
        return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "restore needs one FILE")));
    }
    const std::string archive = options_.positional[0];
    // The window and every writing command hold this lock: nothing may have the files
    // open while the folder is swapped.
    if (!Lock()) {
        return kExitFailed;
    }
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&now, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%S", &tm);
    RestoreResult result = RestoreBackup(archive, folder_, stamp);
    if (!result.ok) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli",
                                          "The backup was not restored; nothing was changed: "))
             << result.error << "\n";
        return kExitFailed;
    }
    if (!result.asidePath.empty()) {
        // The lock moved aside with the old folder; it goes on guarding the restored one
        // until this command ends.
        std::rename((result.asidePath + "/" + kLockFileName).c_str(),
                    (folder_ + "/" + kLockFileName).c_str());
    }
    AuditEntry entry;
    entry.action = audit_action::kRestore;
    entry.detail = "from " + archive + "; the replaced folder is " + result.asidePath;
    AppendAudit(folder_, std::move(entry));
    out_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "restored %1"), {archive}) << "\n";
    if (!result.asidePath.empty()) {
        out_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "the replaced data folder is kept as %1"),
                        {result.asidePath})
             << "\n";
    }
    return kExitOk;
}

} // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Cli cli(out, err);
    return cli.Run(args);
}

} // namespace qa
