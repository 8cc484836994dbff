#pragma once

#include <iconv.h>
#include <optional>
#include <string>
#include <string_view>

namespace qa {

// Appends `text` converted by an open iconv descriptor. On failure `out` is left as it was;
// either way the descriptor is reset for the next text.
bool AppendConverted(iconv_t cd, std::string_view text, std::string& out);

// Code page 949 (Korean, a superset of EUC-KR) is what spreadsheet programs on the clinic's
// desktops expect in the exported files, and what the record dialogs' byte limits count.
// Returns nothing when the text holds a character that code page 949 cannot represent.
std::optional<std::string> Utf8ToCp949(std::string_view utf8);
std::optional<std::string> Cp949ToUtf8(std::string_view cp949);
// As Utf8ToCp949, with every character code page 949 cannot hold written as '?'.
std::string Utf8ToCp949Lossy(std::string_view utf8);

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or cut sequences).
bool IsUtf8Text(std::string_view text);
// A text as stored by this program (UTF-8) or by the Windows program (code page 949), as
// UTF-8 for display, export and report. Bytes that are neither show as U+FFFD; the result is
// for showing only, so such a text is never written back in place of the stored bytes.
std::string DecodeStoredText(std::string_view stored);

// Length in code page 949 bytes; characters it cannot represent count as two bytes, the
// widest a character takes there, so a limit is never exceeded by a later conversion.
std::size_t Cp949Length(std::string_view utf8);
// The longest leading part of a UTF-8 text whose Cp949Length is at most `limit`, never cut
// inside a character: what the Windows program's fixed buffers kept of it.
std::string CutToCp949Length(std::string_view utf8, std::size_t limit);

} // namespace qa
