#include "app/operator_language.h"

#include "store/profile_file.h"
#include "store/settings.h"
#include "store/users.h"

#include <optional>
#include <unistd.h>

namespace qa {

namespace {

std::optional<Language> LanguageOfUser(const std::string& dataFolder, const std::string& user) {
    if (!IsUsableUserId(user)) {
        return std::nullopt;
    }
    const std::string path = SettingsFilePath(dataFolder, user);
    if (::access(path.c_str(), F_OK) != 0) {
        return std::nullopt;
    }
    const std::string lang = ReadProfileString(path, kSettingsSection, "lang");
    return LanguageFromSetting(LeadingInt(lang) == 1 ? 1 : 0);
}

} // namespace

Language RecordedOperatorLanguage(const std::string& dataFolder) {
    const std::string userFile = dataFolder + "/" + kUserInfoFileName;
    const std::string id = ReadProfileString(userFile, "User Count", "current_user");
    const std::string user = id == kNoUserId ? std::string(kDefaultUserId) : id;
    if (std::optional<Language> language = LanguageOfUser(dataFolder, user)) {
        return *language;
    }
    // A current user the list does not know: the program works for the first listed one
    // instead, and speaks that operator's language.
    const int count = LeadingInt(ReadProfileString(userFile, "User Count", "cnt"));
    for (int i = 1; i <= count && i <= 1000; ++i) {
        const std::string listed =
            ReadProfileString(userFile, "User Set", "no" + std::to_string(i));
        if (IsUsableUserId(listed)) {
            return LanguageOfUser(dataFolder, listed).value_or(Language::Korean);
        }
    }
    return Language::Korean;
}

Language OperatorLanguage(const std::string& dataFolder, const std::string& userId) {
    if (!userId.empty()) {
        if (std::optional<Language> chosen = LanguageOfUser(dataFolder, userId)) {
            return *chosen;
        }
    }
    return RecordedOperatorLanguage(dataFolder);
}

} // namespace qa
