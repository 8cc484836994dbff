#include "app/cli_common.h"

#include "store/name_uuid.h"
#include "store/record_edit.h"
#include "store/removed_results.h"
#include "store/result_delete.h"
#include "store/result_lookup.h"

#include <algorithm>
#include <cctype>

// One stored result by its ID: changed, deleted or put back as the window's list does it.

namespace qa::cli {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The diagnosis by its index or its name in the modify dialog's list; -1 for none chosen.
std::optional<int> ParseDiagnosis(const std::string& text) {
    static const char* const kNames[kDiagnosisCount] = {"none", "type1", "type2", "gestational",
                                                        "normal"};
    const std::string key = Lower(text);
    if (key.empty()) {
        return -1;
    }
    for (int i = 0; i < kDiagnosisCount; ++i) {
        if (key == kNames[i] || key == std::to_string(i)) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace

int Cli::FindResult(const std::string& resultId, MeasurementTable*& table, ListRow& row) {
    table = nullptr;
    // Only an ID's text form can name a result; anything else is not one of ours.
    if (!ParseUuid(resultId)) {
        err_ << ConsoleText(MessageUtf8(Message(MessageId::ResultNotFound, {resultId}))) << "\n";
        return kExitFailed;
    }
    for (MeasurementTable* candidate : {static_cast<MeasurementTable*>(&users_->HbA1cMain()),
                                        static_cast<MeasurementTable*>(&users_->GlucoseMain())}) {
        Expected<std::optional<ListRow>> found = FindResultById(*candidate, Lower(resultId));
        if (!found) {
            return ReadFailure(*candidate, found.status());
        }
        if (*found) {
            row = std::move(**found);
            table = candidate;
            return kExitOk;
        }
    }
    err_ << ConsoleText(MessageUtf8(Message(MessageId::ResultNotFound, {resultId}))) << "\n";
    return kExitFailed;
}

int Cli::ModifyResult() {
    if (options_.positional.size() < 2) {
        return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "modify needs ID KEY=VALUE...")));
    }
    // Every pair is judged before anything is opened: a typing error changes nothing.
    std::map<std::string, std::string> changes;
    for (std::size_t i = 1; i < options_.positional.size(); ++i) {
        const std::string& pair = options_.positional[i];
        const std::size_t eq = pair.find('=');
        const std::string key = eq == std::string::npos ? "" : Lower(pair.substr(0, eq));
        if (key != "pid" && key != "name" && key != "birthday" && key != "type" && key != "memo") {
            return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "modify takes PID=, Name=, "
                                                              "Birthday=, Type= or Memo=, not %1"),
                                 {pair}));
        }
        changes[key] = pair.substr(eq + 1);
    }
    if (!Lock()) {
        return kExitFailed;
    }
    if (int code = OpenUser(); code != kExitOk) {
        return code;
    }
    MeasurementTable* table = nullptr;
    ListRow row;
    if (int code = FindResult(options_.positional[0], table, row); code != kExitOk) {
        return code;
    }
    if (table->Kind() != ResultKind::HbA1c &&
        std::any_of(changes.begin(), changes.end(),
                    [](const auto& change) { return change.first != "pid"; })) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli",
                                          "A glucose result has a patient ID alone to change "
                                          "(PID=)."))
             << "\n";
        return kExitFailed;
    }
    // What the modify dialog starts from: the stored details, the diagnosis only when it is
    // one of the list's.
    RecordEdit edit;
    edit.rowNumber = 1;
    edit.patientName = row.patientName;
    edit.patientId = row.patientId;
    edit.birthday = ParseStoredBirthday(row.birthday).value_or(BirthDate{});
    edit.diagnosis = row.diagnosis >= 0 && row.diagnosis < kDiagnosisCount ? row.diagnosis : -1;
    edit.memo = row.memo;
    for (const auto& [key, value] : changes) {
        if (key == "pid") {
            edit.patientId = value;
        } else if (key == "name") {
            edit.patientName = value;
        } else if (key == "memo") {
            edit.memo = value;
        } else if (key == "birthday") {
            const std::optional<BirthDate> date = ParseStoredBirthday(value);
            if (!date || value.size() != 8) {
                err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli",
                                                  "Birthday is a date written YYYYMMDD, not %1"),
                                {value})
                     << "\n";
                return kExitFailed;
            }
            edit.birthday = *date;
        } else if (key == "type") {
            const std::optional<int> diagnosis = ParseDiagnosis(value);
            if (!diagnosis) {
                err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli",
                                                  "Type is none, type1, type2, gestational, "
                                                  "normal (0 to 4) or empty, not %1"),
                                {value})
                     << "\n";
                return kExitFailed;
            }
            edit.diagnosis = *diagnosis;
        }
    }
    // The dialog's own limits, before its question.
    if (std::optional<MessageId> refusal = RecordEditLimitMessage(edit)) {
        err_ << ConsoleText(MessageUtf8(Message(*refusal))) << "\n";
        return kExitFailed;
    }
    if (const Status modified = ModifyRecord(*table, row, edit, row.rowId); !modified) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The result was not changed: %1"),
                        {MessageUtf8(modified.error())})
             << "\n";
        return kExitFailed;
    }
    out_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "modified %1"), {row.resultId}) << "\n";
    return kExitOk;
}

int Cli::DeleteResult() {
    if (int code = Extra(1); code != kExitOk) {
        return code;
    }
    if (options_.positional.empty()) {
        return Usage(CliText(QT_TRANSLATE_NOOP("qa::Cli", "delete needs the result's ID")));
    }
    if (!Lock()) {
        return kExitFailed;
    }
    if (int code = OpenUser(); code != kExitOk) {
        return code;
    }
    MeasurementTable* table = nullptr;
    ListRow row;
    if (int code = FindResult(options_.positional[0], table, row); code != kExitOk) {
        return code;
    }
    if (const Status deleted = DeleteRecord(*table, row); !deleted) {
        err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "The result was not deleted: %1"),
                        {MessageUtf8(deleted.error())})
             << "\n";
        return kExitFailed;
    }
    out_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "deleted %1"), {row.resultId}) << "\n";
    return kExitOk;
}

int Cli::UndeleteResult(const std::string& resultId) {
    if (!Lock()) {
        return kExitFailed;
    }
    if (int code = OpenUser(); code != kExitOk) {
        return code;
    }
    const std::string id = Lower(resultId);
    for (MeasurementTable* table : {static_cast<MeasurementTable*>(&users_->HbA1cMain()),
                                    static_cast<MeasurementTable*>(&users_->GlucoseMain())}) {
        Status restored = RestoreDeleted(*table, id, "");
        if (restored) {
            out_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "put back %1"), {id}) << "\n";
            return kExitOk;
        }
        if (restored.error().id != MessageId::ResultNotFound) {
            err_ << ConsoleText(MessageUtf8(restored.error())) << "\n";
            return kExitFailed;
        }
    }
    err_ << CliText(QT_TRANSLATE_NOOP("qa::Cli", "No deleted result with the ID %1 is remembered."),
                    {resultId})
         << "\n";
    return kExitFailed;
}

} // namespace qa::cli
