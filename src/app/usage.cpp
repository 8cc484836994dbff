#include "app/usage.h"

#include <algorithm>
#include <sstream>

#ifndef QA_VERSION
#error QT_TRANSLATE_NOOP("qa::Usage", "QA_VERSION comes from the project version in CMakeLists.txt")
#endif
#ifndef QA_UDEV_RULE_PATH
#error QT_TRANSLATE_NOOP("qa::Usage", "QA_UDEV_RULE_PATH is where the install rules put the udev rule")
#endif

namespace qa {

namespace {

// Shared by both programs: the same folder, the same files, the same ports.

const char* const kDataFolderText = QT_TRANSLATE_NOOP(
    "qa::Usage",
    "The data folder is $APPDATA/OrvoA1c when APPDATA is set (shared with installations that "
    "keep a Windows profile folder), otherwise $XDG_DATA_HOME/OrvoA1c, normally "
    "~/.local/share/OrvoA1c; --data-dir DIR uses DIR itself. It holds everything the program "
    "keeps: back it up to back up everything. ID stands for an operator's ID.");

std::vector<UsageItem> DataFiles() {
    return {
        {"user_info.ini",
         QT_TRANSLATE_NOOP("qa::Usage", "The operators and which of them is the current one.")},
        {"ID_set_info.ini",
         QT_TRANSLATE_NOOP("qa::Usage",
                           "The settings of operator ID: units, date and time formats, "
                           "ranges, language and the operator's details.")},
        {"ID.ini", QT_TRANSLATE_NOOP("qa::Usage", "The list of operator ID's tables.")},
        {"ID_HbA1c.sqlite, ID_Glucose.sqlite",
         QT_TRANSLATE_NOOP(
             "qa::Usage",
             "The stored HbA1c and glucose results of operator ID (SQLite databases).")},
        {"ID_HbA1cDown.sqlite, ID_GlucoseDown.sqlite",
         QT_TRANSLATE_NOOP("qa::Usage",
                           "The results of operator ID's last download of each kind.")},
        {"ID_Outbox.sqlite",
         QT_TRANSLATE_NOOP("qa::Usage",
                           "The delivery state of operator ID's results sent to the laboratory "
                           "system: pending, sent or held.")},
        {"audit.sqlite",
         QT_TRANSLATE_NOOP("qa::Usage",
                           "The audit trail: every change to stored results, operators and "
                           "settings, and every export, print, backup and restore; entries are "
                           "only ever added.")},
        {"hr_lowdata.dat",
         QT_TRANSLATE_NOOP("qa::Usage",
                           "The raw bytes of the last transfer from the meter, for support.")},
        {"QuorinA1c.lock",
         QT_TRANSLATE_NOOP("qa::Usage",
                           "Held while a program works on the folder, so that a second one "
                           "does not; a lock left behind by a program that died is taken "
                           "over.")},
    };
}

std::vector<UsageItem> DataEnvironment() {
    return {
        {"APPDATA",
         QT_TRANSLATE_NOOP("qa::Usage", "When set, the data folder is $APPDATA/OrvoA1c.")},
        {"XDG_DATA_HOME",
         QT_TRANSLATE_NOOP("qa::Usage", "Otherwise the data folder is $XDG_DATA_HOME/OrvoA1c; "
                                        "~/.local/share when the variable is not set.")},
    };
}

UsageSection PortAccess() {
    return {
        QT_TRANSLATE_NOOP("qa::Usage", "SERIAL PORT ACCESS"),
        {QT_TRANSLATE_NOOP(
             "qa::Usage",
             "The meter appears as a USB serial port: /dev/ttyACM* for its own virtual COM port "
             "(USB id 0483:5740), /dev/ttyUSB* behind a Prolific USB serial adapter (067b:2303)."),
         QT_TRANSLATE_NOOP(
             "qa::Usage",
             "The udev rule %1 gives the user logged in at the computer access to these two kinds "
             "of port "
             "and keeps ModemManager from probing them. After installing it, plug the meter "
             "in again (or run sudo udevadm trigger) so that it applies."),
         QT_TRANSLATE_NOOP(
             "qa::Usage",
             "Without the rule, for other adapters and for users logged in remotely, serial ports "
             "belong to the group dialout: add the user to it (sudo adduser $USER dialout), then "
             "log out and in again.")},
        {QA_UDEV_RULE_PATH}};
}

UsageOption DataDirOption() {
    return {"--data-dir", "DIR",
            QT_TRANSLATE_NOOP(
                "qa::Usage",
                "Use DIR itself as the data folder, created when missing, instead of the default "
                "folder.")};
}

UsageOption HelpOption() {
    return {"--help", "", QT_TRANSLATE_NOOP("qa::Usage", "Print this help and exit."), "-h"};
}

UsageOption VersionOption() {
    return {"--version", "", QT_TRANSLATE_NOOP("qa::Usage", "Print the version and exit.")};
}

ProgramUsage MakeCliUsage() {
    ProgramUsage u;
    u.name = "quorina1c-cli";
    u.summary = QT_TRANSLATE_NOOP(
        "qa::Usage",
        "download and manage the results of the HbA1c and glucose meter without a window");
    u.synopsis = "[--data-dir DIR] COMMAND [ARGUMENT...]";
    u.description = {
        QT_TRANSLATE_NOOP(
            "qa::Usage",
            "quorina1c-cli downloads the results of the point-of-care HbA1c and blood-glucose "
            "meter "
            "and lists, exports, prints and manages the results, operators and settings kept in "
            "the "
            "data folder. It runs the store and download code of quorina1c without a window, for "
            "scripts, support and tests."),
        QT_TRANSLATE_NOOP(
            "qa::Usage",
            "Every command works on the current operator's files unless --user names another "
            "operator. Commands that change files take the data folder's lock first, so they "
            "refuse to run while the window or another command works on the same folder."),
        QT_TRANSLATE_NOOP(
            "qa::Usage",
            "Questions that the window would ask are answered yes: the command itself is the "
            "operator's decision. Messages go to standard error."),
        QT_TRANSLATE_NOOP(
            "qa::Usage",
            "The program speaks the language of the operator it works for (the lang setting: "
            "Korean or English), also in this help and its error messages; with --user, that "
            "operator's language. Korean until an operator chooses English."),
    };
    const std::string filters = "[--kind KIND] [--user ID] [--weeks N | --from DATE --to DATE]";
    u.commands = {
        {"download",
         "--port DEVICE [--kind KIND] [--user ID] [--erase]",
         QT_TRANSLATE_NOOP(
             "qa::Usage",
             "Fetches the stored results of one kind from the meter on the serial port DEVICE and "
             "stores the new ones; results already stored are skipped. The progress texts go to "
             "standard error and the number of new results (\"imported N\") to standard output. "
             "The "
             "meter's records are erased "
             "only with --erase, and only once they are stored. SIGINT or SIGTERM stops a download "
             "within a second; nothing of the partial transfer is stored and the exit status is "
             "1."),
         {}},
        {"list",
         filters + " [--patient ID] [--ids]",
         QT_TRANSLATE_NOOP(
             "qa::Usage",
             "Prints the stored results on standard output in UTF-8, newest first: the header and "
             "rows that export writes, formatted by the operator's settings."),
         {}},
        {"modify",
         "ID KEY=VALUE... [--user ID]",
         QT_TRANSLATE_NOOP(
             "qa::Usage",
             "Changes the patient details of the result ID (the first column of list --ids) as "
             "the window's Data Modify dialog does, with its checks, and records the change in the "
             "audit trail; a glucose result takes PID alone. A changed patient ID is remembered, "
             "so a later download does not store the meter's original again. The keys, in any "
             "case:"),
         {
             {"PID", QT_TRANSLATE_NOOP("qa::Usage", "the patient ID, at most 15 bytes.")},
             {"Name", QT_TRANSLATE_NOOP("qa::Usage", "the patient's name, at most 15 bytes.")},
             {"Birthday", QT_TRANSLATE_NOOP("qa::Usage", "the birth date, YYYYMMDD.")},
             {"Type", QT_TRANSLATE_NOOP("qa::Usage", "the diabetes type: none, type1, type2, "
                                                     "gestational or normal (0 to 4), or empty "
                                                     "for none chosen.")},
             {"Memo", QT_TRANSLATE_NOOP("qa::Usage", "the remark, at most 99 bytes.")},
         }},
        {"delete",
         "ID [--user ID]",
         QT_TRANSLATE_NOOP(
             "qa::Usage",
             "Deletes the result ID of either kind as the window's list does, and records it in "
             "the audit trail. The deletion is remembered: a later download skips the result "
             "while the meter still holds it, and audit undelete ID puts it back."),
         {}},
        {"export",
         "[--format FORMAT] --out FILE " + filters + " [--patient ID]",
         QT_TRANSLATE_NOOP(
             "qa::Usage",
             "Writes the same list to FILE: as a CSV file for spreadsheet programs, as the "
             "window's export button does (code page 949 for a Korean operator, UTF-8 with a "
             "byte-order mark for an English one), or with --format hl7 as a batch of "
             "HL7 v2 ORU^R01 messages, or with --format fhir as a FHIR R4 bundle."),
         {}},
        {"report",
         "--out FILE " + filters + " [--patient ID]",
         QT_TRANSLATE_NOOP(
             "qa::Usage",
             "Prints the data report of the same list to FILE as PDF, through the print code of "
             "the window's print button. With --patient it prints the patient report instead: "
             "the patient's HbA1c and glucose results of the period with their summary and "
             "charts, as the patient page prints it. It needs no display."),
         {}},
        {"patients",
         "[--kind KIND] [--user ID]",
         QT_TRANSLATE_NOOP(
             "qa::Usage",
             "Prints one line per patient ID among the stored results of one kind, in the order "
             "of the IDs: the ID, the number of results, the date of the newest result and that "
             "result, formatted by the operator's settings, then every name and birth date the "
             "records carry, and DISAGREE where they differ, separated by tabs. --patient takes "
             "a whole ID, ignoring case and surrounding blanks."),
         {}},
        {"users",
         "list | add ID | delete ID | restore ID | switch ID",
         QT_TRANSLATE_NOOP(
             "qa::Usage",
             "list prints the operators, the current one marked with *; add creates an operator; "
             "delete takes an operator off the list and moves all of their files into the data "
             "folder's deleted_users folder, after which the first remaining operator is the "
             "current one (the last operator cannot be deleted); restore brings a deleted "
             "operator's files back and lists them again; switch makes ID the current operator."),
         {}},
        {"settings",
         "show | set KEY=VALUE...",
         QT_TRANSLATE_NOOP(
             "qa::Usage",
             "show prints the current operator's settings as KEY=VALUE lines; set changes one or "
             "more of them (keys in any case) and writes the settings file once. The keys are "
             "those of the settings file:"),
         {
             {"HbA1c_unit", QT_TRANSLATE_NOOP("qa::Usage", "0 percent, 1 mmol/mol.")},
             {"Glucose_unit", QT_TRANSLATE_NOOP("qa::Usage", "0 mg/dL, 1 mmol/L.")},
             {"Date", QT_TRANSLATE_NOOP("qa::Usage",
                                        "0 year-month-day, 1 month-day-year, 2 day-month-year.")},
             {"time", QT_TRANSLATE_NOOP("qa::Usage", "0 12-hour with AM/PM, 1 24-hour.")},
             {"HbA1c_high, HbA1c_low",
              QT_TRANSLATE_NOOP("qa::Usage", "the upper and lower limits of the HbA1c range, in "
                                             "percent (6.7 and 4.5 at first).")},
             {"Glucose_high, Glucose_low",
              QT_TRANSLATE_NOOP("qa::Usage", "the upper and lower limits of the glucose range, "
                                             "in mg/dL (160 and 80 at first).")},
             {"lang", QT_TRANSLATE_NOOP(
                          "qa::Usage",
                          "the language of the window and the command line: 0 Korean, 1 English.")},
             {"Name, Hospital, Email", QT_TRANSLATE_NOOP("qa::Usage", "the operator's details.")},
             {"Command", QT_TRANSLATE_NOOP("qa::Usage", "the operator's memo.")},
             {"Interface",
              QT_TRANSLATE_NOOP("qa::Usage",
                                "sending results to the laboratory system: 0 off, 1 on.")},
             {"Destination",
              QT_TRANSLATE_NOOP("qa::Usage", "where send delivers them, mllp://HOST:PORT or a FHIR "
                                             "base URL http(s)://HOST/PATH.")},
             {"Sending_application, Sending_facility, Receiving_application, "
              "Receiving_facility",
              QT_TRANSLATE_NOOP("qa::Usage", "the names the HL7 messages carry.")},
             {"Ack_timeout",
              QT_TRANSLATE_NOOP("qa::Usage",
                                "seconds to wait for the receiver's answer to a message or "
                                "Bundle.")},
             {"Assigning_authority",
              QT_TRANSLATE_NOOP("qa::Usage", "PID-3.4: an OID, or a namespace; empty for the "
                                             "installation's own OID.")},
             {"Patient_id_system, Result_id_system",
              QT_TRANSLATE_NOOP("qa::Usage", "the FHIR identifier systems (URIs) of patients "
                                             "and results; empty for the installation's own.")},
             {"Send_without_patient",
              QT_TRANSLATE_NOOP("qa::Usage", "1 sends results without a patient; 0 holds them "
                                             "(the default).")},
             {"Send_HbA1c_unit, Send_glucose_unit",
              QT_TRANSLATE_NOOP("qa::Usage", "the unit sent, whatever is shown: 0 % or mg/dL, "
                                             "1 mmol/mol or mmol/L.")},
             {"Bundle_size",
              QT_TRANSLATE_NOOP("qa::Usage", "results per FHIR Bundle (1 to 1000, 100 by "
                                             "default).")},
             {"Ca_file, Client_certificate, Client_key",
              QT_TRANSLATE_NOOP("qa::Usage", "PEM files for https: the site's CA, the "
                                             "program's certificate and its key.")},
             {"Bearer_token",
              QT_TRANSLATE_NOOP("qa::Usage", "the FHIR server's access token; never shown.")},
         }},
        {"send",
         "[--to mllp://HOST:PORT|http(s)://HOST/PATH] [--retry-held] [--user ID]",
         QT_TRANSLATE_NOOP(
             "qa::Usage",
             "Queues every stored result that has not been queued yet and sends the pending ones "
             "to the laboratory system: over MLLP one message at a time, or to a FHIR server's "
             "base URL as transaction Bundles of up to 100 results; a result counts as sent only "
             "once the receiver has acknowledged it. Prints \"sent N, pending M\" and exits 1 "
             "while anything is left undelivered, and a line for each kind of correction when "
             "there are any. A sent result edited since goes again as a correction, under a "
             "new patient ID after a wrong-patient notice, and a deleted one as a deletion "
             "notice. Results the receiver refused stay held until --retry-held."),
         {}},
        {"audit",
         "[--patient ID] [--from DATE --to DATE] | undelete ID",
         QT_TRANSLATE_NOOP(
             "qa::Usage",
             "Prints the data folder's audit trail, oldest first: every modify, delete, import, "
             "operator added or deleted, settings change, export, print, backup and restore, with "
             "the operator, the time and the program version. --patient keeps the entries of one "
             "patient ID, --from and --to those of a span of days. undelete ID puts back the "
             "deleted result whose ID its delete entry names, under the same ID, and records "
             "that too."),
         {}},
        {"backup",
         "--out FILE",
         QT_TRANSLATE_NOOP(
             "qa::Usage",
             "Writes a consistent snapshot of the data folder into one archive FILE (a tar file "
             "with a manifest of SHA-256 checksums), also while the window runs."),
         {}},
        {"check",
         "[DIR]",
         QT_TRANSLATE_NOOP(
             "qa::Usage",
             "Reads the data folder (or DIR) without changing it and reports file by file: "
             "whether each "
             "database is intact, which encoding the texts are in, columns and indexes a later "
             "version adds, operators' files no listed operator owns, leftovers of interrupted "
             "operations, and permissions that are not owner-only. Exits 1 when it found "
             "something."),
         {}},
        {"restore",
         "FILE",
         QT_TRANSLATE_NOOP(
             "qa::Usage",
             "Checks the archive FILE whole (manifest, checksums, every database) before it "
             "replaces anything, then puts it in place of the data folder; the replaced folder is "
             "kept beside it, renamed with the time of the restore. The window must be closed."),
         {}},
    };
    u.options = {
        DataDirOption(),
        {"--port", "DEVICE",
         QT_TRANSLATE_NOOP(
             "qa::Usage",
             "The meter's serial port: a device path such as /dev/ttyACM0, or a name under /dev "
             "such as ttyUSB0.")},
        {"--kind", "KIND",
         QT_TRANSLATE_NOOP("qa::Usage", "The result kind: hba1c (the default) or glucose.")},
        {"--user", "ID",
         QT_TRANSLATE_NOOP("qa::Usage", "Work on the files of the existing operator ID without "
                                        "changing the current operator.")},
        {"--weeks", "N",
         QT_TRANSLATE_NOOP(
             "qa::Usage",
             "Only the results of the N weeks up to the newest stored date, as the period choice "
             "of the window's list; N is 0 to 12, and 0 keeps everything.")},
        {"--from", "DATE",
         QT_TRANSLATE_NOOP(
             "qa::Usage",
             "Together with --to: only the results from DATE to the --to date, as the search of "
             "the window's list. Dates are written YYYYMMDD and lie at most 366 days apart.")},
        {"--to", "DATE",
         QT_TRANSLATE_NOOP(
             "qa::Usage",
             "The last date of a --from search. With send, the destination mllp://HOST:PORT or "
             "a FHIR base URL http(s)://HOST/PATH, instead of the Destination setting.")},
        {"--out", "FILE", QT_TRANSLATE_NOOP("qa::Usage", "The file that export or report writes.")},
        {"--format", "FORMAT",
         QT_TRANSLATE_NOOP("qa::Usage", "What export writes: csv (the default), hl7 or fhir.")},
        {"--patient", "ID",
         QT_TRANSLATE_NOOP(
             "qa::Usage",
             "Only the results of this patient ID, exactly as stored (list, export, report), or "
             "with audit only the entries of this patient ID.")},
        {"--ids", "",
         QT_TRANSLATE_NOOP("qa::Usage",
                           "Let list put each result's ID first, as modify and delete take it.")},
        {"--erase", "",
         QT_TRANSLATE_NOOP("qa::Usage",
                           "Let download erase the meter's records once they are stored.")},
        {"--retry-held", "",
         QT_TRANSLATE_NOOP("qa::Usage",
                           "Let send try the results the receiver refused once more.")},
        HelpOption(),
        VersionOption(),
    };
    u.exitCodes = {
        {"0", QT_TRANSLATE_NOOP("qa::Usage",
                                "Success, also when the meter holds no data or no new data.")},
        {"1",
         QT_TRANSLATE_NOOP(
             "qa::Usage", "The operation failed; the program's own message is on standard error.")},
        {"2", QT_TRANSLATE_NOOP(
                  "qa::Usage",
                  "Bad usage: an unknown command or option, a missing or malformed value, or an "
                  "unknown operator.")},
    };
    u.dataFolder = kDataFolderText;
    u.files = DataFiles();
    u.environment = DataEnvironment();
    u.sections = {PortAccess()};
    u.examples = {
        {QT_TRANSLATE_NOOP(
             "qa::Usage",
             "Fetch the glucose results from the meter on /dev/ttyACM0, then export those of the "
             "last four weeks:"),
         {"quorina1c-cli download --port /dev/ttyACM0 --kind glucose",
          "quorina1c-cli export --kind glucose --weeks 4 --out glucose.csv"}},
        {QT_TRANSLATE_NOOP("qa::Usage",
                           "Show HbA1c in mmol/mol and glucose in mmol/L from now on:"),
         {"quorina1c-cli settings set HbA1c_unit=1 Glucose_unit=1"}},
    };
    u.seeAlso = {"quorina1c(1)", "udev(7)"};
    return u;
}

ProgramUsage MakeWindowUsage() {
    ProgramUsage u;
    u.name = "quorina1c";
    u.summary = QT_TRANSLATE_NOOP(
        "qa::Usage", "desktop data manager of a point-of-care HbA1c and blood-glucose meter");
    u.synopsis = "[--data-dir DIR] [--port DEVICE] [QT-OPTION...]";
    u.description = {
        QT_TRANSLATE_NOOP(
            "qa::Usage",
            "quorina1c is the desktop data manager of a point-of-care HbA1c and blood-glucose "
            "meter, for clinic staff. The operator plugs the meter in by USB; the program finds "
            "its serial port, downloads the stored results, checks every record and stores the new "
            "ones in the operator's own files. The operator then lists, filters, edits, deletes, "
            "prints and exports the results in the units and formats of their own settings."),
        QT_TRANSLATE_NOOP(
            "qa::Usage",
            "Only one copy of the program works on a data folder at a time: a second copy says so "
            "and closes by itself after five seconds."),
        QT_TRANSLATE_NOOP(
            "qa::Usage",
            "The program also takes the standard options of Qt applications, such as -platform and "
            "-style. quorina1c-cli does the same work without a window."),
    };
    u.options = {
        DataDirOption(),
        {"--port", "DEVICE",
         QT_TRANSLATE_NOOP(
             "qa::Usage",
             "List DEVICE first among the serial ports and take it as the meter's port, for a "
             "meter behind a port that the search does not recognise (and for a simulated "
             "meter).")},
        {"--sysfs-root", "ROOT",
         QT_TRANSLATE_NOOP("qa::Usage",
                           "Read the serial ports below ROOT instead of /sys (for tests).")},
        HelpOption(),
        VersionOption(),
    };
    u.exitCodes = {
        {"0", QT_TRANSLATE_NOOP(
                  "qa::Usage",
                  "The window was closed, or another copy already works on the data folder.")},
        {"1",
         QT_TRANSLATE_NOOP("qa::Usage",
                           "The data folder could not be created or locked, or an option was not "
                           "understood.")},
    };
    u.dataFolder = kDataFolderText;
    u.files = DataFiles();
    u.environment = DataEnvironment();
    u.environment.push_back(
        {"XDG_CONFIG_HOME",
         QT_TRANSLATE_NOOP(
             "qa::Usage",
             "The column layouts of the lists are kept in $XDG_CONFIG_HOME/Local "
             "AppWizard-Generated "
             "Applications/QuorinA1cComm.ini; ~/.config when the variable is not set.")});
    u.sections = {PortAccess()};
    u.seeAlso = {"quorina1c-cli(1)", "udev(7)"};
    return u;
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

std::size_t DisplayWidth(const std::string& text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (std::size_t k = 1; k < length && i + k < text.size(); ++k) {
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        const bool wide =
            (code >= 0x1100 && code <= 0x115F) || (code >= 0x2E80 && code <= 0xA4CF) ||
            (code >= 0xAC00 && code <= 0xD7A3) || (code >= 0xF900 && code <= 0xFAFF) ||
            (code >= 0xFE30 && code <= 0xFE4F) || (code >= 0xFF00 && code <= 0xFF60) ||
            (code >= 0xFFE0 && code <= 0xFFE6);
        width += wide ? 2 : 1;
        i += length;
    }
    return width;
}

std::string WrapText(const std::string& text, std::size_t indent, std::size_t width) {
    std::istringstream words(text);
    std::string out;
    std::string line;
    std::size_t lineLength = 0;
    for (std::string word; words >> word;) {
        const std::size_t length = DisplayWidth(word);
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

std::string Translated(const UsageTranslator& translate, const std::string& text) {
    return translate ? translate(text) : text;
}

std::string SectionParagraph(const UsageSection& section, std::size_t index,
                             const UsageTranslator& translate) {
    std::string text = Translated(translate, section.paragraphs.at(index));
    for (std::size_t i = section.arguments.size(); i > 0; --i) {
        // Appended, not prefixed: GCC 12 warns falsely (-Wrestrict) on "%" + text.
        std::string marker = "%";
        marker += std::to_string(i);
        for (std::size_t at = text.find(marker); at != std::string::npos;
             at = text.find(marker, at + section.arguments[i - 1].size())) {
            text.replace(at, marker.size(), section.arguments[i - 1]);
        }
    }
    return text;
}

std::string HelpText(const ProgramUsage& u, const UsageTranslator& tr) {
    using namespace usage_heading;
    std::string out = Translated(tr, kUsage) + " " + u.name + " " + u.synopsis + "\n\n";
    if (!u.description.empty()) {
        out += WrapText(Translated(tr, u.description.front()), 0, kWidth);
    }
    if (!u.commands.empty()) {
        out += "\n" + Translated(tr, kCommands) + "\n";
        for (const UsageCommand& c : u.commands) {
            out += WrapText(c.name + " " + c.synopsis, 2, kWidth);
            out += WrapText(Translated(tr, c.text), 6, kWidth);
            for (const UsageItem& d : c.details) {
                out += WrapText(d.term + ": " + Translated(tr, d.text), 8, kWidth);
            }
        }
    }
    out += "\n" + Translated(tr, kOptions) + "\n";
    for (const UsageOption& o : u.options) {
        out += "  " + OptionTerm(o) + "\n" + WrapText(Translated(tr, o.text), 6, kWidth);
    }
    out += "\n" + Translated(tr, kExitStatus) + "\n";
    for (const UsageItem& e : u.exitCodes) {
        std::string wrapped = WrapText(Translated(tr, e.text), 6, kWidth);
        std::string term = "  " + e.term;
        wrapped.replace(0, std::min(term.size(), std::size_t{5}), term.substr(0, 5));
        out += wrapped;
    }
    out += "\n" + Translated(tr, kDataFolder) + "\n" +
           WrapText(Translated(tr, u.dataFolder), 2, kWidth);
    for (const UsageItem& f : u.files) {
        out += "  " + f.term + "\n" + WrapText(Translated(tr, f.text), 6, kWidth);
    }
    return out;
}

std::string ShortUsageText(const ProgramUsage& u, const UsageTranslator& tr) {
    using namespace usage_heading;
    std::string out = Translated(tr, kUsage) + " " + u.name + " " + u.synopsis + "\n";
    std::size_t nameWidth = 0;
    for (const UsageCommand& c : u.commands) {
        nameWidth = std::max(nameWidth, c.name.size());
    }
    for (const UsageCommand& c : u.commands) {
        out += "  " + c.name + std::string(nameWidth + 1 - c.name.size(), ' ') + c.synopsis + "\n";
    }
    std::string more = Translated(tr, kMoreHelp);
    more.replace(more.find("%1"), 2, u.name);
    out += more + "\n";
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
