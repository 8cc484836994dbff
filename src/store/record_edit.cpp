#include "store/record_edit.h"

#include "i18n/message_catalogue.h"
#include "store/audit_log.h"
#include "store/removed_results.h"
#include "store/settings.h"
#include "store/text_encoding.h"

#include <cstdio>
#include <iterator>
#include <vector>

namespace qa {

namespace {

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int Piece(std::string_view text, std::size_t first, std::size_t count) {
    return first < text.size() ? LeadingInt(text.substr(first, count)) : 0;
}

// The columns the modify dialog changes, as the audit log's items of a change name them.
constexpr MessageId kAuditedFieldChanges[] = {
    MessageId::AuditItemNameChanged, MessageId::AuditItemPatientIdChanged,
    MessageId::AuditItemBirthdayChanged, MessageId::AuditItemDiagnosisChanged,
    MessageId::AuditItemMemoChanged};

std::vector<std::string> AuditedFields(const MeasurementTable& table) {
    return {table.name.Str(), table.pid.Str(), table.dob.Str(), std::to_string(table.diagnose),
            table.memo.Str()};
}

// The audit entry of an edit: the result as listed, then each field that changed, in the
// reader's language.
Message ChangeMessage(const ListRow& selected, const std::vector<std::string>& before,
                      const std::vector<std::string>& after, const std::string& resultId) {
    std::vector<std::string> args = {selected.date, selected.time, selected.value};
    for (std::size_t i = 0; i < std::size(kAuditedFieldChanges); ++i) {
        if (before[i] != after[i]) {
            AppendItem(args, kAuditedFieldChanges[i], {before[i], after[i]});
        }
    }
    if (!resultId.empty()) {
        AppendItem(args, MessageId::AuditItemResultId, {resultId});
    }
    return Message(MessageId::AuditResultModified, std::move(args));
}

} // namespace

std::optional<BirthDate> ParseStoredBirthday(std::string_view text) {
    BirthDate date{Piece(text, 0, 4), Piece(text, 4, 2), Piece(text, 6, 2)};
    if (date.year < 100 || date.year > 9999 || date.month < 1 || date.month > 12 || date.day < 1 ||
        date.day > DaysInMonth(date.year, date.month)) {
        return std::nullopt;
    }
    return date;
}

std::string StoredBirthday(const BirthDate& date) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d%02d%02d", date.year, date.month, date.day);
    return buffer;
}

std::optional<MessageId> RecordEditLimitMessage(const RecordEdit& edit) {
    // Each field names itself: the operator must know which of the two to shorten.
    if (Cp949Length(edit.patientName) > kPatientNameMaxBytes) {
        return kNameTooLongText;
    }
    if (Cp949Length(edit.patientId) > kPatientIdMaxBytes) {
        return kNameOrIdTooLongText;
    }
    if (Cp949Length(edit.memo) > kMemoMaxBytes) {
        return kMemoTooLongText;
    }
    return std::nullopt;
}

Status ModifyRecord(MeasurementTable& table, const ListRow& selected, const RecordEdit& changes,
                    int storedRowId) {
    if (!table.IsOpen()) {
        return MessageId::TableNotOpen;
    }
    const std::string savedFilter = table.filter.Str();
    const std::string savedSort = table.sort.Str();
    const bool hadFilter = !table.filter.IsEmpty();
    const bool hadSort = !table.sort.IsEmpty();

    // Date, time and value alone also match another patient's result of the same minute
    // and value; the patient and operator IDs name the selected one.
    std::string condition = table.RecordCondition(selected.date, selected.time, selected.value,
                                                  selected.patientId, selected.operatorId);
    if (storedRowId > 0) {
        condition = FormatSql("ROWID = %d and ", storedRowId) + condition;
    }
    // The result's ID names it whatever was changed since the list was read, and a file
    // rewritten by a vacuum keeps it where row ids may not.
    if (!selected.resultId.empty()) {
        condition = MeasurementTable::ResultIdCondition(selected.resultId);
    }
    table.filter = condition;
    table.sort = "ROWID";
    Status written;
    Expected<bool> found = table.RequeryAny();
    // The row is read again on its own: the requery leaves the members empty, without failing,
    // when its first row cannot be read, and an edit of empty members would write them back
    // over the stored result.
    if (found && *found) {
        found = table.LoadRowById(table.CurrentRowId());
    }
    if (!found) {
        written = found.status();
    } else if (!*found || table.CurrentRowId() <= 0) {
        written = Message(MessageId::ResultGone, {selected.date, selected.time, selected.value});
    } else if (Status editing = table.BeginEdit(); !editing) {
        written = editing;
    } else {
        // The members hold the stored row now, so the columns the dialog does not change
        // (the result kind among them) are written back as they are.
        const int rowId = table.CurrentRowId();
        const std::vector<std::string> before = AuditedFields(table);
        table.pid = changes.patientId;
        // A glucose result carries a patient ID alone: its other columns stay as stored.
        if (table.Kind() == ResultKind::HbA1c) {
            table.name = changes.patientName;
            table.dob = StoredBirthday(changes.birthday);
            table.diagnose = changes.diagnosis;
            table.memo = changes.memo;
        }
        const std::string row = FormatSql("ROWID = %d", rowId);
        // A new patient ID makes the meter's original a result the list no longer holds:
        // remembered with the change, so the next download does not store it again.
        const bool keyChanged = before[1] != table.pid.Str();
        written = AuditedChange(table, [&](AuditEntry& entry) -> Status {
            Status changed;
            if (keyChanged) {
                changed = RememberRows(table, row, RemovedReason::Corrected);
            }
            if (changed) {
                changed = table.UpdateWhere(row);
            }
            if (!changed) {
                return changed;
            }
            entry.action = audit_action::kModify;
            entry.patientId = before[1];
            entry.SetMessage(
                ChangeMessage(selected, before, AuditedFields(table), table.resultId.Str()));
            return {};
        });
    }
    if (hadFilter) {
        table.filter = savedFilter;
    } else {
        table.filter.Clear();
    }
    if (hadSort) {
        table.sort = savedSort;
    } else {
        table.sort.Clear();
    }
    // The edit is in the file whether or not the list can be read again; the list's next
    // requery (each page does one when shown) brings it up to date.
    (void)table.Requery();
    return written;
}

} // namespace qa
