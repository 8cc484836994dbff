#pragma once

#include "store/message.h"

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

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

// A catalogue text for its source text, in the language wanted.
using MessageTranslator = std::function<std::string(const char* source)>;

// The message with its texts through `translate`. A message made of items (an audit entry's
// fields, say) shows each item through its own text, so no word of it stays untranslated.
std::string ComposeMessage(const Message& message, const MessageTranslator& translate);

// Appends an item (one of the AuditItem identifiers) to the arguments of a message made of
// items: its stored key, then its values.
void AppendItem(std::vector<std::string>& args, MessageId item,
                std::initializer_list<std::string> values = {});

// The arguments of a message that are data (names, values, paths): all of them but the keys
// of its items.
std::vector<std::string> MessageData(const Message& message);

} // namespace qa
