#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace qa {

// The headless command line: the same store and download code as the window, for scripts,
// support and tests. Returns the exit code: 0 success, 1 the operation failed (the
// system's own message on `err`), 2 bad usage. Its commands and options are those of
// CliUsage() in app/usage.h: a command must be listed there to run.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace qa
