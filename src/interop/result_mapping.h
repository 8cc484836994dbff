#pragma once

#include "store/display_format.h"
#include "store/interface_settings.h"
#include "store/measurement_table.h"
#include "store/name_uuid.h"
#include "store/settings.h"
#include "store/status.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qa::interop {

// What a message says of its result. A result's first message and one sent again after it
// was withdrawn are final; a later change of what the receiver holds is a correction; a
// result whose patient changed is first posted as wrong under the patient it went to; a
// deleted result is withdrawn.
enum class ResultStatus { Final, Corrected, WrongPatient, Deleted };

// One stored result, as the tables hold it.
struct StoredResult {
    ResultKind kind = ResultKind::HbA1c;
    std::string date; // "YYYYMMDD"
    std::string time; // "HHMM"
    std::string value;
    std::string patientId;
    std::string patientName;
    std::string birthday;    // "YYYYMMDD"; the import's placeholder means not entered
    std::string deviceModel; // the meter's model code when known
    std::string resultId;    // the stored result's own ID; empty when not read with it
    // The patient ID's stored bytes when they differ from `patientId` (code page 949): older
    // outboxes named such a result by a control ID made of these bytes.
    std::string storedPatientId;
    // What the message made of it says, and for any message but the result's first one
    // (which ControlId names from the result alone) that message's own control ID.
    ResultStatus status = ResultStatus::Final;
    std::string followUpId{};
};

// OBX-11 of a status (table 0085: F, C, W, D) and OBR-25 (table 0123, which has no W or D:
// a wrong-patient posting and a withdrawal are corrections of the order's results there).
char ObservationStatusCode(ResultStatus status);
char OrderStatusCode(ResultStatus status);
// FHIR Observation.status: final, corrected, entered-in-error.
const char* FhirObservationStatus(ResultStatus status);

// Whether two versions of a result differ in what the receiver holds of it: the time it
// was measured, the value, the patient ID, name and birth date. The meter's model is known
// only right after a download, and the memo and diagnosis are never sent: neither counts.
bool DiffersForReceiver(const StoredResult& sent, const StoredResult& now);

// The control ID of a message that follows `previousId`, the last one delivered for the
// result: the kind's prefix ("QAH", "QAG"), the status's OBX-11 letter and 16 hexadecimal
// digits of the operator, the previous ID and the fields the receiver holds. The same
// follow-up of the same delivered message always gets the same ID (a retry carries it
// again), and it never equals an ID of ControlId, which has no letter after the prefix.
std::string FollowUpControlId(std::string_view operatorId, const StoredResult& result,
                              ResultStatus status, std::string_view previousId);

// The coded result: what the list shows, split into comparator, number and unit.
struct CodedValue {
    std::string loinc;
    std::string loincName;
    std::string ucum;       // unit code and text
    std::string comparator; // "", ">=", "<="
    std::string number;     // decimal text exactly as the list shows it in this unit
    // The operator's target range in the same unit, as decimal texts.
    std::string low;
    std::string high;
    // Where the value lies against it: "N", "H", "L", or ">" / "<" beyond what the meter
    // measures (HL7 table 0078, FHIR ObservationInterpretation share these codes).
    std::string flag;
};

// Codes the value in the units of `settings` (one code and unit per assay: the limits of
// the meter are coded in that unit too). A "> 14" or "Hi" becomes a comparator true for the
// value (">=", "<=") with its limit, never a plain number.
CodedValue CodeValue(ResultKind kind, std::string_view storedValue, const SettingsStore& settings);

// The meter's placeholder patient ID (glucose records carry no patient) counts as none: a
// made-up ID would file the result under a patient who does not exist.
bool HasPatient(const StoredResult& result);
// The birth date when one was entered.
std::optional<CalendarDateTime> EnteredBirthday(const StoredResult& result);

// Message control ID of a result: stable for the same operator and stored result, so a
// repeated send carries the same ID and the receiver can drop the copy; at most 20
// characters as HL7 v2.5.1 allows. A follow-up message's own ID when the result has one.
std::string ControlId(std::string_view operatorId, const StoredResult& result);
// The identifier a result goes by at the receiver (OBR-3's filler number, the Observation's
// identifier): its own result ID, the same in every export and send and whatever is edited;
// the control ID for a result read without one.
std::string ResultKey(std::string_view operatorId, const StoredResult& result);
// `digits` lower-case hexadecimal digits of the value's low bits (at most 16).
void AppendHex(std::string& out, std::uint64_t value, int digits);
// The same written at `to` (room for `digits` characters); returns the end.
char* PutHex(char* to, std::uint64_t value, int digits);

// Minutes east of UTC of the machine's zone at that local moment.
using UtcOffsetFunction = std::function<int(const CalendarDateTime&)>;
int LocalUtcOffsetMinutes(const CalendarDateTime& local);
// The same, remembered per half hour of local time (a thread's own cache).
int CachedLocalUtcOffsetMinutes(const CalendarDateTime& local);

// Everything a message needs besides the result.
struct MessageContext {
    SettingsStore display;
    InterfaceSettings link;
    std::string operatorId;    // the program's current user: the performer
    CalendarDateTime composed; // local time the message is made
    UtcOffsetFunction utcOffset = CachedLocalUtcOffsetMinutes;
    // The data folder's own UUID (InstallationUuid): the namespace of the Bundle entries'
    // fullUrls, so no two installations name different results alike.
    Uuid installation{};
};

// "YYYYMMDDHHMMSS+ZZZZ" and "YYYY-MM-DDThh:mm:ss+zz:zz" with the zone offset of that moment.
std::string Hl7Time(const CalendarDateTime& local, const UtcOffsetFunction& offset);
std::string FhirTime(const CalendarDateTime& local, const UtcOffsetFunction& offset);
void AppendHl7Time(std::string& out, const CalendarDateTime& local,
                   const UtcOffsetFunction& offset);
void AppendFhirTime(std::string& out, const CalendarDateTime& local,
                    const UtcOffsetFunction& offset);

// The display settings with the units the interface sends in (Send_HbA1c_unit,
// Send_glucose_unit) in place of the operator's display units.
SettingsStore InterfaceUnits(const MessageContext& context);

// The installation's own OID, "2.25." and its UUID as a decimal number (ITU-T X.667).
std::string InstallationOid(const Uuid& installation);
// PID-3.4 as written into the message (sub-components already escaped): the setting, an OID
// as "&OID&ISO" and a namespace as it is; by default the facility's name with the
// installation's patient OID.
std::string PatientAuthority(const MessageContext& context);
// FHIR identifier systems: the settings, else "urn:oid:" with the installation's patient
// or result OID.
std::string PatientIdSystem(const MessageContext& context);
std::string ResultIdSystem(const MessageContext& context);
// The identifier system of an Observation posted as wrong-patient: it gives up the result's
// identifier, so the result under its right patient can take it, and keeps the result ID
// under the installation's own arc for retired results.
std::string RetiredResultIdSystem(const MessageContext& context);

// Now in local time (the composed time of new messages).
CalendarDateTime LocalNow();

// Results handed over one at a time, so a file of any length is written without all of them
// held: a walk calls `each` with every result in order (stopping when it returns false) and
// returns false when the results could not all be read.
// A walk asked for the listed parts only may leave the name and birth date empty: the
// list's columns (date, time, value, patient ID) are in the table's index, and a walk of
// them alone never reads the rows themselves.
enum class ResultParts { All, Listed };
using ResultEach = std::function<bool(const StoredResult&)>;
using ResultWalk = std::function<bool(const ResultEach& each, ResultParts parts)>;
// Where such a file goes, block by block; false when the block could not be written.
using TextSink = std::function<bool(std::string_view)>;
// A walk over results already held.
ResultWalk WalkOf(const std::vector<StoredResult>& results);
// The end of a file written from a walk: its last block goes to the sink when the walk
// wrote and read everything. A sink that failed stops the walk too: it is the one named.
Status FinishWalkedFile(bool written, bool read, const TextSink& sink, std::string_view last);

} // namespace qa::interop
