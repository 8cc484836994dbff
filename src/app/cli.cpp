#include "app/cli.h"

#include "app/cli_common.h"
#include "app/data_folder.h"
#include "app/operator_language.h"
#include "app/usage.h"
#include "i18n/language.h"
#include "i18n/message_catalogue.h"
#include "store/system_error.h"

#include <cerrno>

namespace qa {

namespace cli {

namespace {

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

} // namespace

int Cli::Run(const std::vector<std::string>& args) {
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
    if (c == "modify") {
        return ModifyResult();
    }
    if (c == "delete") {
        return DeleteResult();
    }
    if (c == "backup") {
        return Backup();
    }
    if (c == "restore") {
        return Restore();
    }
    return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "unknown command %1"), {c}));
}

} // namespace cli

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    cli::Cli cli(out, err);
    return cli.Run(args);
}

} // namespace qa
