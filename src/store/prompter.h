#pragma once

#include "store/message.h"

namespace qa {

// Every question and message for the operator goes through this one service: a message box
// in the window, a console line in the command line, scripted answers in tests. The logic
// never blocks on a dialog it created itself. Texts arrive as message identifiers; the
// service puts them into the operator's language.
class Prompter {
public:
    enum class Severity { Information, Warning, Error };

    virtual ~Prompter() = default;
    // A yes/no question; true for yes.
    virtual bool Confirm(const Message& text, const Message& caption) = 0;
    // A question before something that cannot be undone: No is the default answer, so a
    // stray Enter keeps the data.
    virtual bool ConfirmDefaultNo(const Message& text, const Message& caption) {
        return Confirm(text, caption);
    }
    // A message with an OK button.
    virtual void Inform(const Message& text, const Message& caption,
                        Severity severity = Severity::Information) = 0;
    // A failure the operator may try again (Retry and Cancel); true for Retry. Where nobody
    // can answer (the command line), it is told as a failure and not retried.
    virtual bool AskRetry(const Message& text, const Message& caption) {
        Inform(text, caption, Severity::Warning);
        return false;
    }
};

} // namespace qa
