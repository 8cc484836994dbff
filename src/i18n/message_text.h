#pragma once

#include "store/message.h"

#include <QString>

#include <string>

namespace qa {

// A message of the store or the download logic in the current language, arguments filled in.
QString MessageText(const Message& message);
std::string MessageUtf8(const Message& message);

} // namespace qa
