#include "app/cli_common.h"

#include "store/interface_settings.h"
#include "store/settings.h"
#include "store/system_error.h"

#include <cerrno>

namespace qa::cli {

int Cli::Settings() {
    if (options_.positional.empty() ||
        (options_.positional[0] != "show" && options_.positional[0] != "set")) {
        return Usage(
            CliText(QT_TRANSLATE_NOOP("qa::Cli", "settings needs show or set KEY=VALUE...")));
    }
    bool set = options_.positional[0] == "set";
    if (set && options_.positional.size() < 2) {
        return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "settings set needs KEY=VALUE")));
    }
    if (!set) {
        if (int code = Extra(1); code != kExitOk) {
            return code;
        }
    }
    if (set && !Lock()) {
        return kExitFailed;
    }
    if (int code = OpenUser(!set); code != kExitOk) {
        return code;
    }
    SettingsStore& s = users_->Settings();
    if (!set) {
        for (const auto& [key, value] : SettingsEntries(s)) {
            out_ << key << "=" << value << "\n";
        }
        InterfaceSettings link;
        LoadInterfaceSettings(SettingsFilePath(folder_, users_->ActiveUserId()), link);
        for (const auto& [key, value] : ShownInterfaceEntries(link)) {
            out_ << key << "=" << value << "\n";
        }
        return kExitOk;
    }
    const std::string settingsPath = SettingsFilePath(folder_, users_->ActiveUserId());
    InterfaceSettings link;
    if (!LoadInterfaceSettings(settingsPath, link)) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The settings file cannot be read: "))
             << settingsPath << "\n";
        return kExitFailed;
    }
    const InterfaceSettings linkBefore = link;
    SettingsStore changed = s;
    for (std::size_t i = 1; i < options_.positional.size(); ++i) {
        const std::string& pair = options_.positional[i];
        std::size_t eq = pair.find('=');
        if (eq == std::string::npos) {
            return Usage(CliText(
                QT_TRANSLATE_NOOP("qa::Cli", "settings set takes KEY=VALUE, not %1"), {pair}));
        }
        Message problem;
        const std::string key = pair.substr(0, eq);
        if (IsInterfaceKey(key) ? !ApplyInterfaceEntry(link, key, pair.substr(eq + 1), problem)
                                : !ApplySettingsEntry(changed, key, pair.substr(eq + 1), problem)) {
            return Usage(ConsoleText(MessageUtf8(problem)));
        }
    }
    if (link != linkBefore && !SaveInterfaceSettings(settingsPath, link)) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The settings file cannot be written.\n"));
        return kExitFailed;
    }
    s = changed;
    if (!users_->SaveSettings()) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The settings file cannot be written: "))
             << SettingsFilePath(folder_, users_->ActiveUserId()) << ": " << SystemErrorText(errno)
             << "\n";
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace qa::cli
