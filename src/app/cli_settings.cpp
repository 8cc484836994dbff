#include "app/cli_common.h"

#include "interop/fhir_poster.h"
#include "interop/mllp_sender.h"
#include "store/audit_log.h"
#include "store/interface_settings.h"
#include "store/safe_text.h"
#include "store/settings.h"

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
            out_ << key << "=" << VisibleControls(value) << "\n";
        }
        InterfaceSettings link;
        if (Status loaded =
                LoadInterfaceSettings(SettingsFilePath(folder_, users_->ActiveUserId()), link);
            !loaded) {
            err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The settings file cannot be read: "))
                 << MessageUtf8(loaded.error()) << "\n";
            return kExitFailed;
        }
        for (const auto& [key, value] : ShownInterfaceEntries(link)) {
            out_ << key << "=" << VisibleControls(value) << "\n";
        }
        return kExitOk;
    }
    const std::string settingsPath = SettingsFilePath(folder_, users_->ActiveUserId());
    InterfaceSettings link;
    if (Status loaded = LoadInterfaceSettings(settingsPath, link); !loaded) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The settings file cannot be read: "))
             << MessageUtf8(loaded.error()) << "\n";
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
        const std::string key = pair.substr(0, eq);
        const Status applied = IsInterfaceKey(key)
                                   ? ApplyInterfaceEntry(link, key, pair.substr(eq + 1))
                                   : ApplySettingsEntry(changed, key, pair.substr(eq + 1));
        if (!applied) {
            return Usage(ConsoleText(MessageUtf8(applied.error())));
        }
    }
    // Stored only in a form send takes: a destination it refuses would be found out at the
    // first delivery, long after the operator typed it.
    if (link.destination != linkBefore.destination && !link.destination.empty() &&
        !interop::ParseMllpDestination(link.destination) &&
        !interop::ParseFhirBase(link.destination)) {
        return Usage(CliText(
            QT_TRANSLATE_NOOP("qa::Cli", "the destination is written mllp(s)://HOST:PORT or as a "
                                         "FHIR base URL http(s)://HOST/PATH, not %1"),
            {VisibleControls(link.destination)}));
    }
    // Every key, of both sections, in one replacement of the file: a kill leaves the old
    // settings or the new ones, never half of them.
    std::vector<ProfileChange> extra;
    std::string linkChanges;
    if (link != linkBefore) {
        std::vector<std::string> names, was, now;
        for (const auto& [key, value] : InterfaceEntries(link)) {
            extra.push_back({kInterfaceSection, key, value});
            names.push_back(key);
            now.push_back(value);
        }
        for (const auto& [key, value] : InterfaceEntries(linkBefore)) {
            was.push_back(value);
        }
        linkChanges = AuditChanges(names, was, now);
    }
    s = changed;
    if (Status saved = users_->SaveSettings(extra, linkChanges); !saved) {
        const Message& why = saved.error();
        if (why.id == MessageId::AuditNotWritable) {
            err_ << CliText(QT_TRANSLATE_NOOP(
                        "qa::Cli", "Nothing was changed: the audit log cannot be written: "))
                 << why.args.front() << "\n";
            return kExitFailed;
        }
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The settings file cannot be written: "))
             << MessageUtf8(why) << "\n";
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace qa::cli
