#pragma once

#include "i18n/message_catalogue.h"
#include "store/prompter.h"

#include <deque>
#include <string>
#include <vector>

namespace qa::test {

// Answers questions from a script (yes when the script runs out) and records everything it
// was shown, in order: the message as given, and its text in the source language (what the
// untranslated program shows).
class ScriptedPrompter : public Prompter {
public:
    struct Shown {
        std::string text;
        std::string caption;
        bool question = false;
        bool defaultNo = false;
        Message message;
    };

    bool Confirm(const Message& text, const Message& caption) override {
        shown.push_back({SourceText(text), SourceText(caption), true, false, text});
        if (answers.empty()) {
            return true;
        }
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool ConfirmDefaultNo(const Message& text, const Message& caption) override {
        bool answer = Confirm(text, caption);
        shown.back().defaultNo = true;
        return answer;
    }
    void Inform(const Message& text, const Message& caption, Severity) override {
        shown.push_back({SourceText(text), SourceText(caption), false, false, text});
    }
    // Retry takes its answer from the same script; with the script run out it cancels, so
    // a test that forgets to script it cannot retry for ever.
    bool AskRetry(const Message& text, const Message& caption) override {
        shown.push_back({SourceText(text), SourceText(caption), true, false, text});
        retryAsked = true;
        if (answers.empty()) {
            return false;
        }
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool retryAsked = false;

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& s : shown) {
            texts.push_back(s.text);
        }
        return texts;
    }

    std::deque<bool> answers;
    std::vector<Shown> shown;
};

} // namespace qa::test
