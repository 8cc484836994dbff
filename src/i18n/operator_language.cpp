#include "i18n/operator_language.h"

#include "store/profile_file.h"
#include "store/settings.h"
#include "store/users.h"

namespace qa {

Language RecordedOperatorLanguage(const std::string& dataFolder) {
    const std::string id =
        ReadProfileString(dataFolder + "/" + kUserInfoFileName, "User Count", "current_user");
    const std::string user = id == kNoUserId ? std::string(kDefaultUserId) : id;
    if (!IsUsableUserId(user)) {
        return Language::Korean;
    }
    const std::string lang =
        ReadProfileString(SettingsFilePath(dataFolder, user), kSettingsSection, "lang");
    return LanguageFromSetting(LeadingInt(lang) == 1 ? 1 : 0);
}

} // namespace qa
