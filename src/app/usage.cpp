#include "app/usage.h"

#include <algorithm>
#include <sstream>

#ifndef QA_VERSION
#error "QA_VERSION comes from the project version in CMakeLists.txt"
#endif
#ifndef QA_UDEV_RULE_PATH
#error "QA_UDEV_RULE_PATH is where the install rules put the udev rule"
#endif

namespace qa {

namespace {

// Shared by both programs: the same folder, the same files, the same ports.

const char* const kDataFolderText =
    "The data folder is $APPDATA/OrvoA1c when APPDATA is set (shared with installations that "
    "keep a Windows profile folder), otherwise $XDG_DATA_HOME/OrvoA1c, normally "
    "~/.local/share/OrvoA1c; --data-dir DIR uses DIR itself. It holds everything the program "
    "keeps: back it up to back up everything. ID stands for an operator's ID.";

std::vector<UsageItem> DataFiles() {
    return {
        {"user_info.ini", "The operators and which of them is the current one."},
        {"ID_set_info.ini", "The settings of operator ID: units, date and time formats, "
                            "ranges, language and the operator's details."},
        {"ID.ini", "The list of operator ID's tables."},
        {"ID_HbA1c.sqlite, ID_Glucose.sqlite",
         "The stored HbA1c and glucose results of operator ID (SQLite databases)."},
        {"ID_HbA1cDown.sqlite, ID_GlucoseDown.sqlite",
         "The results of operator ID's last download of each kind."},
        {"ID_Outbox.sqlite", "The delivery state of operator ID's results sent to the laboratory "
                             "system: pending, sent or held."},
        {"audit.sqlite", "The audit trail: every change to stored results, operators and "
                         "settings, and every export, print, backup and restore; entries are "
                         "only ever added."},
        {"hr_lowdata.dat", "The raw bytes of the last transfer from the meter, for support."},
        {"QuorinA1c.lock", "Held while a program works on the folder, so that a second one "
                           "does not; a lock left behind by a program that died is taken "
                           "over."},
    };
}

std::vector<UsageItem> DataEnvironment() {
    return {
        {"APPDATA", "When set, the data folder is $APPDATA/OrvoA1c."},
        {"XDG_DATA_HOME", "Otherwise the data folder is $XDG_DATA_HOME/OrvoA1c; "
                          "~/.local/share when the variable is not set."},
    };
}

UsageSection PortAccess() {
    return {"SERIAL PORT ACCESS",
            {"The meter appears as a USB serial port: /dev/ttyACM* for its own virtual COM port "
             "(USB id 0483:5740), /dev/ttyUSB* behind a Prolific USB serial adapter (067b:2303).",
             std::string("The udev rule ") + QA_UDEV_RULE_PATH +
                 " gives the user logged in at the computer access to these two kinds of port "
                 "and keeps ModemManager from probing them. After installing it, plug the meter "
                 "in again (or run sudo udevadm trigger) so that it applies.",
             "Without the rule, for other adapters and for users logged in remotely, serial ports "
             "belong to the group dialout: add the user to it (sudo adduser $USER dialout), then "
             "log out and in again."}};
}

UsageOption DataDirOption() {
    return {"--data-dir", "DIR",
            "Use DIR itself as the data folder, created when missing, instead of the default "
            "folder."};
}

UsageOption HelpOption() {
    return {"--help", "", "Print this help and exit.", "-h"};
}

UsageOption VersionOption() {
    return {"--version", "", "Print the version and exit."};
}

ProgramUsage MakeCliUsage() {
    ProgramUsage u;
    u.name = "quorina1c-cli";
    u.summary = "download and manage the results of the HbA1c and glucose meter without a window";
    u.synopsis = "[--data-dir DIR] COMMAND [ARGUMENT...]";
    u.description = {
        "quorina1c-cli downloads the results of the point-of-care HbA1c and blood-glucose meter "
        "and lists, exports, prints and manages the results, operators and settings kept in the "
        "data folder. It runs the store and download code of quorina1c without a window, for "
        "scripts, support and tests.",
        "Every command works on the current operator's files unless --user names another "
        "operator. Commands that change files take the data folder's lock first, so they "
        "refuse to run while the window or another command works on the same folder.",
        "Questions that the window would ask are answered yes: the command itself is the "
        "operator's decision. Messages go to standard error.",
    };
    const std::string filters = "[--kind KIND] [--user ID] [--weeks N | --from DATE --to DATE]";
    u.commands = {
        {"download",
         "--port DEVICE [--kind KIND] [--user ID] [--erase]",
         "Fetches the stored results of one kind from the meter on the serial port DEVICE and "
         "stores the new ones; results already stored are skipped. The progress texts go to "
         "standard error and \"imported N\" to standard output. The meter's records are erased "
         "only with --erase, and only once they are stored. SIGINT or SIGTERM stops a download "
         "within a second; nothing of the partial transfer is stored and the exit status is 1.",
         {}},
        {"list",
         filters + " [--patient ID]",
         "Prints the stored results on standard output in UTF-8, newest first: the header and "
         "rows that export writes, formatted by the operator's settings.",
         {}},
        {"export",
         "[--format FORMAT] --out FILE " + filters + " [--patient ID]",
         "Writes the same list to FILE: as a CSV file in code page 949 for spreadsheet "
         "programs, as the window's export button does, or with --format hl7 as a batch of "
         "HL7 v2 ORU^R01 messages, or with --format fhir as a FHIR R4 bundle.",
         {}},
        {"report",
         "--out FILE " + filters + " [--patient ID]",
         "Prints the data report of the same list to FILE as PDF, through the print code of "
         "the window's print button. With --patient it prints the patient report instead: "
         "the patient's HbA1c and glucose results of the period with their summary and "
         "charts, as the patient page prints it. It needs no display.",
         {}},
        {"patients",
         "[--kind KIND] [--user ID]",
         "Prints one line per patient ID among the stored results of one kind, in the order "
         "of the IDs: the ID, the number of results, the date of the newest result and that "
         "result, formatted by the operator's settings, separated by tabs.",
         {}},
        {"users",
         "list | add ID | delete ID | switch ID",
         "list prints the operators, the current one marked with *; add creates an operator; "
         "delete removes an operator with all of their files, after which the first remaining "
         "operator is the current one (the last operator cannot be deleted); switch makes ID "
         "the current operator.",
         {}},
        {"settings",
         "show | set KEY=VALUE...",
         "show prints the current operator's settings as KEY=VALUE lines; set changes one or "
         "more of them (keys in any case) and writes the settings file once. The keys are "
         "those of the settings file:",
         {
             {"HbA1c_unit", "0 percent, 1 mmol/mol."},
             {"Glucose_unit", "0 mg/dL, 1 mmol/L."},
             {"Date", "0 year-month-day, 1 month-day-year, 2 day-month-year."},
             {"time", "0 12-hour with AM/PM, 1 24-hour."},
             {"HbA1c_high, HbA1c_low", "the upper and lower limits of the HbA1c range, in "
                                       "percent (6.7 and 4.5 at first)."},
             {"Glucose_high, Glucose_low", "the upper and lower limits of the glucose range, "
                                           "in mg/dL (160 and 80 at first)."},
             {"lang", "the language: 0 Korean, 1 English."},
             {"Name, Hospital, Email", "the operator's details."},
             {"Command", "the operator's memo."},
             {"Interface", "sending results to the laboratory system: 0 off, 1 on."},
             {"Destination", "where send delivers them, mllp://HOST:PORT."},
             {"Sending_application, Sending_facility, Receiving_application, "
              "Receiving_facility",
              "the names the HL7 messages carry."},
             {"Ack_timeout", "seconds to wait for the receiver's acknowledgement."},
         }},
        {"send",
         "[--to mllp://HOST:PORT] [--retry-held] [--user ID]",
         "Queues every stored result that has not been queued yet and sends the pending ones "
         "to the laboratory system over MLLP, one message at a time; a result counts as sent "
         "only once the receiver has acknowledged it. Prints \"sent N, pending M\" and exits "
         "1 while anything is left undelivered. Results the receiver refused stay held until "
         "--retry-held.",
         {}},
        {"audit",
         "[--patient ID] [--from DATE --to DATE]",
         "Prints the data folder's audit trail, oldest first: every modify, delete, import, "
         "operator added or deleted, settings change, export, print, backup and restore, with "
         "the operator, the time and the program version. --patient keeps the entries of one "
         "patient ID, --from and --to those of a span of days.",
         {}},
        {"backup",
         "--out FILE",
         "Writes a consistent snapshot of the data folder into one archive FILE (a tar file "
         "with a manifest of SHA-256 checksums), also while the window runs.",
         {}},
        {"restore",
         "FILE",
         "Checks the archive FILE whole (manifest, checksums, every database) before it "
         "replaces anything, then puts it in place of the data folder; the replaced folder is "
         "kept beside it, renamed with the time of the restore. The window must be closed.",
         {}},
    };
    u.options = {
        DataDirOption(),
        {"--port", "DEVICE",
         "The meter's serial port: a device path such as /dev/ttyACM0, or a name under /dev "
         "such as ttyUSB0."},
        {"--kind", "KIND", "The result kind: hba1c (the default) or glucose."},
        {"--user", "ID",
         "Work on the files of the existing operator ID without changing the current operator."},
        {"--weeks", "N",
         "Only the results of the N weeks up to the newest stored date, as the period choice "
         "of the window's list; N is 0 to 12, and 0 keeps everything."},
        {"--from", "DATE",
         "Together with --to: only the results from DATE to the --to date, as the search of "
         "the window's list. Dates are written YYYYMMDD and lie at most 366 days apart."},
        {"--to", "DATE",
         "The last date of a --from search. With send, the destination mllp://HOST:PORT, "
         "instead of the Destination setting."},
        {"--out", "FILE", "The file that export or report writes."},
        {"--format", "FORMAT", "What export writes: csv (the default), hl7 or fhir."},
        {"--patient", "ID",
         "Only the results of this patient ID, exactly as stored (list, export, report), or "
         "with audit only the entries of this patient ID."},
        {"--erase", "", "Let download erase the meter's records once they are stored."},
        {"--retry-held", "", "Let send try the results the receiver refused once more."},
        HelpOption(),
        VersionOption(),
    };
    u.exitCodes = {
        {"0", "Success, also when the meter holds no data or no new data."},
        {"1", "The operation failed; the program's own message is on standard error."},
        {"2", "Bad usage: an unknown command or option, a missing or malformed value, or an "
              "unknown operator."},
    };
    u.dataFolder = kDataFolderText;
    u.files = DataFiles();
    u.environment = DataEnvironment();
    u.sections = {PortAccess()};
    u.examples = {
        {"Fetch the glucose results from the meter on /dev/ttyACM0, then export those of the "
         "last four weeks:",
         {"quorina1c-cli download --port /dev/ttyACM0 --kind glucose",
          "quorina1c-cli export --kind glucose --weeks 4 --out glucose.csv"}},
        {"Show HbA1c in mmol/mol and glucose in mmol/L from now on:",
         {"quorina1c-cli settings set HbA1c_unit=1 Glucose_unit=1"}},
    };
    u.seeAlso = {"quorina1c(1)", "udev(7)"};
    return u;
}

ProgramUsage MakeWindowUsage() {
    ProgramUsage u;
    u.name = "quorina1c";
    u.summary = "desktop data manager of a point-of-care HbA1c and blood-glucose meter";
    u.synopsis = "[--data-dir DIR] [--port DEVICE] [QT-OPTION...]";
    u.description = {
        "quorina1c is the desktop data manager of a point-of-care HbA1c and blood-glucose "
        "meter, for clinic staff. The operator plugs the meter in by USB; the program finds "
        "its serial port, downloads the stored results, checks every record and stores the new "
        "ones in the operator's own files. The operator then lists, filters, edits, deletes, "
        "prints and exports the results in the units and formats of their own settings.",
        "Only one copy of the program works on a data folder at a time: a second copy says so "
        "and closes by itself after five seconds.",
        "The program also takes the standard options of Qt applications, such as -platform and "
        "-style. quorina1c-cli does the same work without a window.",
    };
    u.options = {
        DataDirOption(),
        {"--port", "DEVICE",
         "List DEVICE first among the serial ports and take it as the meter's port, for a "
         "meter behind a port that the search does not recognise (and for a simulated meter)."},
        {"--sysfs-root", "ROOT", "Read the serial ports below ROOT instead of /sys (for tests)."},
        HelpOption(),
        VersionOption(),
    };
    u.exitCodes = {
        {"0", "The window was closed, or another copy already works on the data folder."},
        {"1", "The data folder could not be created or locked, or an option was not "
              "understood."},
    };
    u.dataFolder = kDataFolderText;
    u.files = DataFiles();
    u.environment = DataEnvironment();
    u.environment.push_back(
        {"XDG_CONFIG_HOME",
         "The column layouts of the lists are kept in $XDG_CONFIG_HOME/Local AppWizard-Generated "
         "Applications/QuorinA1cComm.ini; ~/.config when the variable is not set."});
    u.sections = {PortAccess()};
    u.seeAlso = {"quorina1c-cli(1)", "udev(7)"};
    return u;
}

std::size_t Utf8Length(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string OptionTerm(const UsageOption& option) {
    std::string term = option.alias.empty() ? option.name : option.alias + ", " + option.name;
    return option.value.empty() ? term : term + " " + option.value;
}

constexpr std::size_t kWidth = 80;

} // namespace

const ProgramUsage& CliUsage() {
    static const ProgramUsage usage = MakeCliUsage();
    return usage;
}

const ProgramUsage& WindowUsage() {
    static const ProgramUsage usage = MakeWindowUsage();
    return usage;
}

std::vector<const ProgramUsage*> AllProgramUsages() {
    return {&WindowUsage(), &CliUsage()};
}

std::string VersionText() {
    return std::string("QuorinA1c ") + QA_VERSION;
}

std::string WrapText(const std::string& text, std::size_t indent, std::size_t width) {
    std::istringstream words(text);
    std::string out;
    std::string line;
    std::size_t lineLength = 0;
    for (std::string word; words >> word;) {
        const std::size_t length = Utf8Length(word);
        if (!line.empty() && indent + lineLength + 1 + length > width) {
            out += std::string(indent, ' ') + line + "\n";
            line.clear();
            lineLength = 0;
        }
        if (!line.empty()) {
            line += ' ';
            ++lineLength;
        }
        line += word;
        lineLength += length;
    }
    if (!line.empty()) {
        out += std::string(indent, ' ') + line + "\n";
    }
    return out;
}

std::string HelpText(const ProgramUsage& u) {
    std::string out = "usage: " + u.name + " " + u.synopsis + "\n\n";
    if (!u.description.empty()) {
        out += WrapText(u.description.front(), 0, kWidth);
    }
    if (!u.commands.empty()) {
        out += "\nCommands:\n";
        for (const UsageCommand& c : u.commands) {
            out += WrapText(c.name + " " + c.synopsis, 2, kWidth);
            out += WrapText(c.text, 6, kWidth);
            for (const UsageItem& d : c.details) {
                out += WrapText(d.term + ": " + d.text, 8, kWidth);
            }
        }
    }
    out += "\nOptions:\n";
    for (const UsageOption& o : u.options) {
        out += "  " + OptionTerm(o) + "\n" + WrapText(o.text, 6, kWidth);
    }
    out += "\nExit status:\n";
    for (const UsageItem& e : u.exitCodes) {
        std::string wrapped = WrapText(e.text, 6, kWidth);
        std::string term = "  " + e.term;
        wrapped.replace(0, std::min(term.size(), std::size_t{5}), term.substr(0, 5));
        out += wrapped;
    }
    out += "\nData folder:\n" + WrapText(u.dataFolder, 2, kWidth);
    for (const UsageItem& f : u.files) {
        out += "  " + f.term + "\n" + WrapText(f.text, 6, kWidth);
    }
    return out;
}

std::string ShortUsageText(const ProgramUsage& u) {
    std::string out = "usage: " + u.name + " " + u.synopsis + "\n";
    std::size_t nameWidth = 0;
    for (const UsageCommand& c : u.commands) {
        nameWidth = std::max(nameWidth, c.name.size());
    }
    for (const UsageCommand& c : u.commands) {
        out += "  " + c.name + std::string(nameWidth + 1 - c.name.size(), ' ') + c.synopsis + "\n";
    }
    out += "Run " + u.name + " --help for the options.\n";
    return out;
}

const UsageOption* FindOption(const ProgramUsage& usage, const std::string& spelling) {
    for (const UsageOption& o : usage.options) {
        if (o.name == spelling || (!o.alias.empty() && o.alias == spelling)) {
            return &o;
        }
    }
    return nullptr;
}

const UsageCommand* FindCommand(const ProgramUsage& usage, const std::string& name) {
    for (const UsageCommand& c : usage.commands) {
        if (c.name == name) {
            return &c;
        }
    }
    return nullptr;
}

} // namespace qa
