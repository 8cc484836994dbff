#pragma once

#include <string>
#include <string_view>

namespace qa {

// Texts that came from a meter, a file or another program, made safe to put on a terminal
// or into a line-based output: a patient ID holding ESC sequences must not move the cursor
// or retitle the window, one holding a tab must not add a column.

// Every control character (C0, DEL, and C1 written in UTF-8) as "\xNN" in lower-case hex;
// line feeds stay when `keepLineBreaks` (a message of several lines). Everything else,
// invalid UTF-8 included, is kept byte for byte.
std::string VisibleControls(std::string_view text, bool keepLineBreaks = false);

// One field of a tab-separated line: tab, line feed and carriage return written as "\t",
// "\n" and "\r", other control characters as VisibleControls writes them, so the line keeps
// its columns. A backslash stays as it is: patient IDs with HL7's escape characters were
// printed as they are and scripts may match them so.
std::string TsvField(std::string_view text);

} // namespace qa
