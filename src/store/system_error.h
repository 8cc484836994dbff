#pragma once

#include <string>

namespace qa {

// The system's own words for an error number, always those of the C locale (English): a
// detail appended to the program's sentence for support, never a sentence in a language
// other than the operator's, whatever the computer's locale is.
std::string SystemErrorText(int code);

} // namespace qa
