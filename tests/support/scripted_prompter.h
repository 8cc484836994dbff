#pragma once

#include "store/prompter.h"

#include <deque>
#include <string>
#include <vector>

namespace qa::test {

// Answers questions from a script (yes when the script runs out) and records everything it
// was shown, in order.
class ScriptedPrompter : public Prompter {
public:
    struct Shown {
        std::string text;
        std::string caption;
        bool question = false;
        bool defaultNo = false;
    };

    bool Confirm(const std::string& text, const std::string& caption) override {
        shown.push_back({text, caption, true});
        if (answers.empty()) {
            return true;
        }
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool ConfirmDefaultNo(const std::string& text, const std::string& caption) override {
        bool answer = Confirm(text, caption);
        shown.back().defaultNo = true;
        return answer;
    }
    void Inform(const std::string& text, const std::string& caption, Severity) override {
        shown.push_back({text, caption, false});
    }

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
