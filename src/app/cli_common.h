#pragma once

#include "app/instance_lock.h"
#include "i18n/message_text.h"
#include "interop/result_mapping.h"
#include "store/measurement_table.h"
#include "store/message.h"
#include "store/prompter.h"
#include "store/result_list.h"
#include "store/users.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace qa {

struct ReportContext;

// What the commands of the command line share: its exit codes, its words, its options and
// the steps every command takes (the lock, the operator's files, the usage message).
namespace cli {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

std::string ConsoleText(std::string text);

// The application object the meter's serial port and the FHIR client wait in: made when the
// command line runs alone, none when it runs inside one (the tests).
std::unique_ptr<QCoreApplication> EventLoopApplication();

// A text of the command line itself in the current language, %1, %2 ... filled in.
std::string CliText(const char* text, const std::vector<std::string>& args = {});

// The usage table's texts in the current language.
std::string UsageWords(const std::string& text);

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

std::optional<std::string> Value(const Options& options, const char* name);

// The kind option: "hba1c" (the default) or "glucose"; nothing when it is neither.
std::optional<ResultKind> KindOption(const Options& options);

class Cli {
public:
    Cli(std::ostream& out, std::ostream& err) : out_(out), err_(err), prompter_(err) {}

    int Run(const std::vector<std::string>& args);

private:
    int Usage(const std::string& problem);

    // Commands that change files hold the same lock as the window, so a download never runs
    // into the files of a window that is importing at the same time.
    bool Lock();
    // Lock() where the lock can be had, silently false where it cannot.
    bool TryLock();

    // Loads the users and opens the files of --user (default: the current user).
    // Returns an exit code, kExitOk when the user's files are open.
    // walkOnly: the tables are only walked, also when opened writable.
    int OpenUser(bool readOnly = false, bool walkOnly = false);

    // What the command prints from here on is in the language of the operator it works for.
    void FollowOperatorLanguage();

    // `settings` is the settings file's failure when that is what could not be opened.
    int OpenFailure(const Status& settings = Status());

    // A list that could not be read whole is an error, never an empty or short list.
    // Tells why the results of `table` could not be read (`failure`, naming the file).
    int ReadFailure(const MeasurementTable& table, const Status& failure);

    // Stray words after a command were once ignored, so a mistyped option ran the command
    // with other settings than the operator meant.
    int Extra(std::size_t allowed);

    int Download();
    int ListOrExport(const std::string& command);
    int Report(ResultKind kind, ResultListStream& stream, const std::string& path,
               std::size_t& printed, const ReportContext& context);
    // The patient's results of both kinds, within the period of --from/--to or --weeks.
    int PatientReport(const std::string& patientId, const std::string& path);
    // --patient as the window's search takes a whole ID: surrounding blanks and ASCII case
    // do not count. Sets `id` to the stored ID (the text itself when no result carries it);
    // an error when the text names several stored IDs that differ only in case and none of
    // them exactly.
    int ResolvePatient(const std::string& typed, std::string& id);
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
    // One result by its ID: modify ID KEY=VALUE..., delete ID, and audit undelete ID.
    int ModifyResult();
    int DeleteResult();
    int UndeleteResult(const std::string& resultId);
    // The stored result of the open operator with this ID, of either kind; an exit code, and
    // kExitOk with `table` and `row` set when found.
    int FindResult(const std::string& resultId, MeasurementTable*& table, ListRow& row);
    int Backup();
    int Restore();
    // Reports on the data folder, changing nothing in it.
    int Check();
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

} // namespace cli

} // namespace qa
