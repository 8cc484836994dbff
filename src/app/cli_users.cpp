#include "app/cli_common.h"

#include "store/safe_text.h"

#include <algorithm>
#include <cerrno>

namespace qa::cli {

int Cli::Users() {
    if (options_.positional.empty()) {
        return Usage(CliText(QT_TRANSLATE_NOOP(
            "qa::Cli", "users needs list, add ID, delete ID, restore ID or switch ID")));
    }
    const std::string& action = options_.positional[0];
    if (action == "list") {
        if (int code = Extra(1); code != kExitOk) {
            return code;
        }
        users_ = std::make_unique<UserStore>(folder_, prompter_);
        if (Status loaded = users_->LoadUsers(); !loaded) {
            err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The user file cannot be read: "))
                 << MessageUtf8(loaded.error()) << "\n";
            return kExitFailed;
        }
        for (const auto& id : users_->UserList()) {
            out_ << (id == users_->ActiveUserId() ? "* " : "  ") << VisibleControls(id) << "\n";
        }
        return kExitOk;
    }
    if (options_.positional.size() != 2 ||
        (action != "add" && action != "delete" && action != "switch" && action != "restore")) {
        return Usage(CliText(QT_TRANSLATE_NOOP(
            "qa::Cli", "users needs list, add ID, delete ID, restore ID or switch ID")));
    }
    const std::string& id = options_.positional[1];
    if (!Lock()) {
        return kExitFailed;
    }
    users_ = std::make_unique<UserStore>(folder_, prompter_);
    // Only the user file: a user whose database cannot be opened can still be switched away
    // from, deleted, or have another user added beside it.
    if (Status loaded = users_->LoadUsers(); !loaded) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The user file cannot be read: "))
             << MessageUtf8(loaded.error()) << "\n";
        return kExitFailed;
    }
    if (action == "add") {
        return users_->AddUser(id) == UserStore::Outcome::Done ? kExitOk : kExitFailed;
    }
    if (action == "restore") {
        return users_->RestoreUser(id) == UserStore::Outcome::Done ? kExitOk : kExitFailed;
    }
    const std::optional<std::string> listed = users_->ListedId(id);
    if (!listed) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "quorina1c-cli: unknown user %1"), {id})
             << "\n";
        return kExitUsage;
    }
    // A switch whose files cannot be opened has said so; a delete still goes ahead as long
    // as the user became the current one, so that damaged files can be removed.
    const bool switched = users_->SwitchUser(*listed).ok();
    if (action == "switch" || (!switched && users_->CurrentUserId() != *listed)) {
        return switched ? kExitOk : kExitFailed;
    }
    return users_->DeleteCurrentUser() == UserStore::Outcome::Done ? kExitOk : kExitFailed;
}

} // namespace qa::cli
