#pragma once

#include <functional>
#include <string>
#include <vector>

// Marks a text for the catalogue without Qt: the extraction tool reads the mark, and the
// text itself is the key a translator looks up at run time.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(context, text) text
#endif

namespace qa {

// What the two programs accept and do, kept as data in one place: `--help` prints it, the
// command line parses its options from it and refuses commands missing from it, and
// quorina1c-mangen turns it into the manual pages at build time. Adding a command or an
// option means adding an entry here (and the code that does the work).
//
// The table is written in English; its prose is marked for the catalogue (context
// "qa::Usage"), and the printing functions take a UsageTranslator that gives each text in
// the reader's language. Names of commands, options, values, keys and files stay as they are.

struct UsageItem {
    std::string term; // "--data-dir DIR", "download", "0", a file name, a variable
    std::string text; // one paragraph
};

struct UsageOption {
    std::string name;  // "--data-dir"; a second spelling goes in `alias` ("-h")
    std::string value; // "DIR"; empty for an option without a value
    std::string text;
    std::string alias = {};
};

struct UsageCommand {
    std::string name;     // "download"
    std::string synopsis; // the arguments after the name
    std::string text;
    std::vector<UsageItem> details; // a list under the text (the settings keys, say)
};

struct UsageSection {
    std::string title; // manual pages only
    std::vector<std::string> paragraphs;
    std::vector<std::string> arguments; // what %1, %2 ... of the paragraphs stand for
};

struct UsageExample {
    std::string text;
    std::vector<std::string> commandLines;
};

struct ProgramUsage {
    std::string name;     // "quorina1c-cli"
    std::string summary;  // the NAME line of the manual page
    std::string synopsis; // the arguments after the name
    std::vector<std::string> description;
    std::vector<UsageCommand> commands;
    std::vector<UsageOption> options;
    std::vector<UsageItem> exitCodes;
    std::string dataFolder;       // where the data folder is
    std::vector<UsageItem> files; // what is in it
    std::vector<UsageItem> environment;
    std::vector<UsageSection> sections; // further sections of the manual page
    std::vector<UsageExample> examples; // manual page only
    std::vector<std::string> seeAlso;   // "quorina1c(1)"
};

// Gives a text of the table in the reader's language; an empty translator keeps English.
using UsageTranslator = std::function<std::string(const std::string&)>;
std::string Translated(const UsageTranslator& translate, const std::string& text);

// The headings of the help and the manual pages, marked for the catalogue.
namespace usage_heading {
inline constexpr const char* kUsage = QT_TRANSLATE_NOOP("qa::Usage", "usage:");
inline constexpr const char* kCommands = QT_TRANSLATE_NOOP("qa::Usage", "Commands:");
inline constexpr const char* kOptions = QT_TRANSLATE_NOOP("qa::Usage", "Options:");
inline constexpr const char* kExitStatus = QT_TRANSLATE_NOOP("qa::Usage", "Exit status:");
inline constexpr const char* kDataFolder = QT_TRANSLATE_NOOP("qa::Usage", "Data folder:");
inline constexpr const char* kMoreHelp =
    QT_TRANSLATE_NOOP("qa::Usage", "Run %1 --help for the options.");
inline constexpr const char* kName = QT_TRANSLATE_NOOP("qa::Usage", "NAME");
inline constexpr const char* kSynopsis = QT_TRANSLATE_NOOP("qa::Usage", "SYNOPSIS");
inline constexpr const char* kDescription = QT_TRANSLATE_NOOP("qa::Usage", "DESCRIPTION");
inline constexpr const char* kCommandsSection = QT_TRANSLATE_NOOP("qa::Usage", "COMMANDS");
inline constexpr const char* kOptionsSection = QT_TRANSLATE_NOOP("qa::Usage", "OPTIONS");
inline constexpr const char* kExitStatusSection = QT_TRANSLATE_NOOP("qa::Usage", "EXIT STATUS");
inline constexpr const char* kFiles = QT_TRANSLATE_NOOP("qa::Usage", "FILES");
inline constexpr const char* kEnvironment = QT_TRANSLATE_NOOP("qa::Usage", "ENVIRONMENT");
inline constexpr const char* kExamples = QT_TRANSLATE_NOOP("qa::Usage", "EXAMPLES");
inline constexpr const char* kSeeAlso = QT_TRANSLATE_NOOP("qa::Usage", "SEE ALSO");
inline constexpr const char* kUserCommands = QT_TRANSLATE_NOOP("qa::Usage", "User Commands");
} // namespace usage_heading

// A paragraph of a section in the reader's language, its arguments filled in.
std::string SectionParagraph(const UsageSection& section, std::size_t index,
                             const UsageTranslator& translate);

const ProgramUsage& CliUsage();
const ProgramUsage& WindowUsage();
// Both programs, for the manual page generator.
std::vector<const ProgramUsage*> AllProgramUsages();

// The version both programs report, "QuorinA1c 1.09".
std::string VersionText();

// `--help`: synopsis, commands, options, exit codes and the data folder, wrapped for a
// terminal.
std::string HelpText(const ProgramUsage& usage, const UsageTranslator& translate = {});
// After a usage error: the synopsis and one line per command.
std::string ShortUsageText(const ProgramUsage& usage, const UsageTranslator& translate = {});

const UsageOption* FindOption(const ProgramUsage& usage, const std::string& spelling);
const UsageCommand* FindCommand(const ProgramUsage& usage, const std::string& name);

// Columns a terminal gives the text: Hangul and the other East Asian wide characters take
// two, every other character one.
std::size_t DisplayWidth(const std::string& text);

// Breaks text into lines of at most `width` terminal columns (a Hangul syllable takes two), each
// starting with `indent` blanks.
std::string WrapText(const std::string& text, std::size_t indent, std::size_t width);

} // namespace qa
