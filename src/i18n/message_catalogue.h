#pragma once

#include "store/message.h"

#include <string>

namespace qa {

// The catalogue's context of every message identifier.
inline constexpr const char* kMessageContext = "Message";

// The catalogue key of a message: its text in the source language, with %1, %2, ... where
// the arguments go. Toolkit-free, so a test without Qt can read what would be shown untranslated.
const char* MessageSource(MessageId id);

// Puts the arguments into a text: %1 is the first, up to %9. Inserted arguments are not
// searched again, so a path holding "%2" stays as it is.
std::string FillArguments(const std::string& text, const std::vector<std::string>& args);

// The message in the source language (what the untranslated program shows).
std::string SourceText(const Message& message);

} // namespace qa
