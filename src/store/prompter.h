#pragma once

#include <string>

namespace qa {

// Every question and message for the operator goes through this one service: a message box
// in the window, a console line in the command line, scripted answers in tests. The logic
// never blocks on a dialog it created itself.
class Prompter {
public:
    enum class Severity { Information, Warning, Error };

    virtual ~Prompter() = default;
    // A yes/no question; true for yes.
    virtual bool Confirm(const std::string& text, const std::string& caption) = 0;
    // A question before something that cannot be undone: No is the default answer, so a
    // stray Enter keeps the data.
    virtual bool ConfirmDefaultNo(const std::string& text, const std::string& caption) {
        return Confirm(text, caption);
    }
    // A message with an OK button.
    virtual void Inform(const std::string& text, const std::string& caption,
                        Severity severity = Severity::Information) = 0;
};

} // namespace qa
