#include "i18n/operator_language.h"

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
    const std::string id =
        ReadProfileString(dataFolder + "/" + kUserInfoFileName, "User Count", "current_user");
    const std::string user = id == kNoUserId ? std::string(kDefaultUserId) : id;
    return LanguageOfUser(dataFolder, user).value_or(Language::Korean);
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
