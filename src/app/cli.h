#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace qa {

// The headless command line: the same store and download code as the window, for scripts,
// support and tests. Returns the exit code: 0 success, 1 the operation failed (the
// system's own message on `err`), 2 bad usage.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

inline constexpr const char* kCliUsage =
    "usage: quorina1c-cli [--data-dir DIR] COMMAND ...\n"
    "  download --port DEVICE [--kind hba1c|glucose] [--user ID] [--erase]\n"
    "  list     [--kind K] [--user ID] [--weeks N | --from YYYYMMDD --to YYYYMMDD]\n"
    "  export   [--format csv|hl7|fhir] --out FILE [same filters as list]\n"
    "  report   --out FILE.pdf [same filters as list]\n"
    "  users    list | add ID | delete ID | switch ID\n"
    "  settings show | set KEY=VALUE...\n"
    "  send     [--to mllp://HOST:PORT] [--retry-held] [--user ID]\n"
    "  audit    [--patient ID] [--from YYYYMMDD --to YYYYMMDD]\n"
    "  backup   --out FILE\n"
    "  restore  FILE\n";

} // namespace qa
