#include "message_languages.h"

#include "i18n/language.h"
#include "i18n/message_text.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <regex>
#include <set>

namespace qa::test {

namespace {

// The catalogues need an application; the toolkit-free tests have none of their own.
void EnsureApplication() {
    if (QCoreApplication::instance() != nullptr) {
        return;
    }
    static int argc = 1;
    static char name[] = "interop_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv); // lives to the end
    (void)app;
}

bool HasHangul(const std::string& text) {
    for (const QChar c : QString::fromStdString(text)) {
        if (c.unicode() >= 0xAC00 && c.unicode() <= 0xD7A3) {
            return true;
        }
    }
    return false;
}

std::string TextIn(Language language, const Message& message) {
    EXPECT_TRUE(ApplyLanguage(language));
    return MessageUtf8(message);
}

} // namespace

void ExpectBothLanguages(const Status& failure) {
    ASSERT_FALSE(failure) << "a failure was expected";
    EnsureApplication();
    const Message& message = failure.error();
    const std::string korean = TextIn(Language::Korean, message);
    const std::string english = TextIn(Language::English, message);
    EXPECT_NE(korean, english) << "the Korean text is translated";
    EXPECT_TRUE(HasHangul(korean)) << korean;
    EXPECT_FALSE(HasHangul(english)) << english;
    std::string rest = korean;
    for (const std::string& argument : message.args) {
        EXPECT_NE(korean.find(argument), std::string::npos) << korean << " names " << argument;
        EXPECT_NE(english.find(argument), std::string::npos) << english << " names " << argument;
        for (std::size_t at = rest.find(argument); !argument.empty() && at != std::string::npos;
             at = rest.find(argument)) {
            rest.erase(at, argument.size());
        }
    }
    static const std::set<std::string> kNames = {"TLS", "FHIR", "HTTP", "CA"};
    static const std::regex kWord("[A-Za-z]+");
    for (auto it = std::sregex_iterator(rest.begin(), rest.end(), kWord);
         it != std::sregex_iterator(); ++it) {
        EXPECT_EQ(kNames.count(it->str()), 1u) << "English in Korean mode: " << korean;
    }
}

} // namespace qa::test
