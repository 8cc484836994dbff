#pragma once

#include <string>
#include <vector>

namespace qa {

// What the two programs accept and do, kept as data in one place: `--help` prints it, the
// command line parses its options from it and refuses commands missing from it, and
// quorina1c-mangen turns it into the manual pages at build time. Adding a command or an
// option means adding an entry here (and the code that does the work).

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

const ProgramUsage& CliUsage();
const ProgramUsage& WindowUsage();
// Both programs, for the manual page generator.
std::vector<const ProgramUsage*> AllProgramUsages();

// The version both programs report, "QuorinA1c 1.09".
std::string VersionText();

// `--help`: synopsis, commands, options, exit codes and the data folder, wrapped for a
// terminal.
std::string HelpText(const ProgramUsage& usage);
// After a usage error: the synopsis and one line per command.
std::string ShortUsageText(const ProgramUsage& usage);

const UsageOption* FindOption(const ProgramUsage& usage, const std::string& spelling);
const UsageCommand* FindCommand(const ProgramUsage& usage, const std::string& name);

// Breaks text into lines of at most `width` columns (counting UTF-8 characters), each
// starting with `indent` blanks.
std::string WrapText(const std::string& text, std::size_t indent, std::size_t width);

} // namespace qa
