#include "i18n/message_text.h"

#include "i18n/language.h"
#include "i18n/message_catalogue.h"

namespace qa {

QString MessageText(const Message& message) {
    return QString::fromStdString(MessageUtf8(message));
}

std::string MessageUtf8(const Message& message) {
    if (message.id == MessageId::Verbatim) {
        return message.args.empty() ? std::string() : message.args.front();
    }
    return ComposeMessage(message, [](const char* source) {
        return Translate(kMessageContext, source).toStdString();
    });
}

} // namespace qa
