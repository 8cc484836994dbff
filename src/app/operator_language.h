#pragma once

#include "i18n/language.h"

#include <string>

namespace qa {

// The language of the operator the user file names as current, read without creating or
// changing any file: what the program says before the operator's files are open (another
// copy already running, a data folder that cannot be made) is in that operator's language.
// Korean when nothing says otherwise.
Language RecordedOperatorLanguage(const std::string& dataFolder);

// The language of operator `userId` when that operator exists, else of the current one.
Language OperatorLanguage(const std::string& dataFolder, const std::string& userId);

} // namespace qa
