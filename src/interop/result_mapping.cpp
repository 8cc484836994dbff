#include "interop/result_mapping.h"

#include "interop/hl7_message.h"

#include "store/record_edit.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <unordered_map>

namespace qa::interop {

namespace {

constexpr const char* kNoPatientId = "00000000000000";
constexpr const char* kPlaceholderBirthday = "19000101";
// The glucose limits "Hi" and "Lo"/"Low" are mg/dL integers whatever unit is shown.
constexpr double kGlucoseHighMgPerDl = 600;
constexpr double kGlucoseLowMgPerDl = 10;
constexpr double kMgPerDlPerMmolPerL = 18.02;
// The IFCC conversion the list uses.
constexpr double kMmolPerMolSlope = 10.929;
constexpr double kMmolPerMolOffset = 23.5;

double RoundedMmolPerMol(double percent) {
    return std::round(percent * kMmolPerMolSlope - kMmolPerMolOffset);
}

// Seconds from the epoch to a local date and time read as if it were UTC: arithmetic
// alone (the civil-from-days count of the proleptic Gregorian calendar), no zone lookup.
std::int64_t CivilSeconds(const CalendarDateTime& t) {
    const int year = t.year - (t.month <= 2 ? 1 : 0);
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (t.month + (t.month > 2 ? -3 : 9)) + 2) / 5 + t.day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const std::int64_t days = era * 146097 + dayOfEra - 719468;
    return days * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

// The offset, in seconds, of a day that has one offset from three hours before its
// midnight to the next midnight; nothing for any other day. Found with localtime_r alone:
// mktime looks at the zone file again on every call, which at one call per day of a long
// export costs more than writing the day's results. The three hours before midnight keep a
// midnight that a change back to winter time makes occur twice out of this path.
std::optional<long> WholeDayOffsetSeconds(const CalendarDateTime& day, long guess) {
    const std::int64_t civil = CivilSeconds({day.year, day.month, day.day, 0, 0, 0});
    std::tm back{};
    std::time_t midnight = 0;
    // The first guess is the last day's offset, right on all days but those of a change;
    // the second is the offset found at the first guess's moment.
    for (int attempt = 0; attempt < 2; ++attempt) {
        midnight = static_cast<std::time_t>(civil - guess);
        if (localtime_r(&midnight, &back) == nullptr) {
            return std::nullopt;
        }
        if (back.tm_hour == 0 && back.tm_min == 0 && back.tm_sec == 0 && back.tm_mday == day.day) {
            break;
        }
        if (attempt == 1 || back.tm_gmtoff == guess) {
            return std::nullopt; // a midnight the clocks skip
        }
        guess = back.tm_gmtoff;
    }
    const long offset = back.tm_gmtoff;
    for (std::time_t at : {midnight - 3 * 3600, midnight + 12 * 3600, midnight + 24 * 3600}) {
        std::tm other{};
        if (localtime_r(&at, &other) == nullptr || other.tm_gmtoff != offset) {
            return std::nullopt;
        }
    }
    return offset;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

void SetCode(CodedValue& coded, std::string_view unit) {
    if (unit == "%") {
        coded.loinc = "4548-4";
        coded.loincName = "Hemoglobin A1c/Hemoglobin.total in Blood";
    } else if (unit == "mmol/mol") {
        coded.loinc = "59261-8";
        coded.loincName = "Hemoglobin A1c/Hemoglobin.total in Blood by IFCC protocol";
    } else if (unit == "mg/dL") {
        coded.loinc = "41653-7";
        coded.loincName = "Glucose [Mass/volume] in Capillary blood by Glucometer";
    } else {
        coded.loinc = "14743-9";
        coded.loincName = "Glucose [Moles/volume] in Capillary blood by Glucometer";
    }
    coded.ucum = std::string(unit);
}

// "6.5 %", "48 mmol/mol", "104 mg/dL": number and unit. A limit text ("> 14 %") stands for
// a value at or beyond the limit: the comparator says so ("14.00 %" is ">= 14", never "> 14").
CodedValue SplitShown(std::string_view shown) {
    CodedValue coded;
    shown = Trim(shown);
    if (!shown.empty() && (shown.front() == '>' || shown.front() == '<')) {
        coded.comparator = shown.front() == '>' ? ">=" : "<=";
        shown = Trim(shown.substr(1));
    }
    std::size_t blank = shown.find(' ');
    coded.number = std::string(shown.substr(0, blank));
    SetCode(coded,
            blank == std::string_view::npos ? std::string_view() : Trim(shown.substr(blank)));
    return coded;
}

std::uint64_t Fnv1a(std::string_view text, std::uint64_t hash) {
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

// Writes `value` in at least `width` digits at `to` and returns the end: times are made
// in a small buffer and appended once, as a push per digit costs more than the digit.
char* PutDigits(char* to, int value, int width) {
    char buffer[12];
    int n = 0;
    unsigned magnitude = value < 0 ? 0u : static_cast<unsigned>(value);
    do {
        buffer[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0 && n < 10);
    for (int pad = n; pad < width; ++pad) {
        *to++ = '0';
    }
    while (n > 0) {
        *to++ = buffer[--n];
    }
    return to;
}

void AppendOffset(std::string& out, int minutes, bool withColon) {
    char buffer[32];
    char* end = buffer;
    *end++ = minutes < 0 ? '-' : '+';
    int magnitude = minutes < 0 ? -minutes : minutes;
    end = PutDigits(end, magnitude / 60, 2);
    if (withColon) {
        *end++ = ':';
    }
    end = PutDigits(end, magnitude % 60, 2);
    out.append(buffer, static_cast<std::size_t>(end - buffer));
}

// Appends "YYYY?MM?DD?hh?mm?ss" with the given separators (0 for none).
void AppendStamp(std::string& out, const CalendarDateTime& t, char dateSep, char middle,
                 char timeSep) {
    char buffer[80];
    char* end = PutDigits(buffer, t.year, 4);
    const int rest[] = {t.month, t.day, t.hour, t.minute, t.second};
    const char separators[] = {dateSep, dateSep, middle, timeSep, timeSep};
    for (int i = 0; i < 5; ++i) {
        if (separators[i] != 0) {
            *end++ = separators[i];
        }
        end = PutDigits(end, rest[i], 2);
    }
    out.append(buffer, static_cast<std::size_t>(end - buffer));
}

// The operator's target range (kept in percent and mg/dL) in the coded unit, and the flag
// of the value against it.
void AddRange(CodedValue& coded, ResultKind kind, const SettingsStore& settings) {
    double low = 0;
    double high = 0;
    int decimals = 0;
    if (kind == ResultKind::HbA1c) {
        low = settings.hba1cLow;
        high = settings.hba1cHigh;
        decimals = 1;
        if (coded.ucum == "mmol/mol") {
            low = low * kMmolPerMolSlope - kMmolPerMolOffset;
            high = high * kMmolPerMolSlope - kMmolPerMolOffset;
            decimals = 0;
        }
    } else {
        low = settings.glucoseLow;
        high = settings.glucoseHigh;
        if (coded.ucum == "mmol/L") {
            low /= kMgPerDlPerMmolPerL;
            high /= kMgPerDlPerMmolPerL;
            decimals = 1;
        }
    }
    // A range the settings file holds no sense for (missing keys load as -1) is left out.
    if (!(low >= 0 && high > low)) {
        coded.flag = coded.comparator.empty() ? "" : coded.comparator == ">=" ? ">" : "<";
        return;
    }
    coded.low = FixedText(low, decimals);
    coded.high = FixedText(high, decimals);
    if (!coded.comparator.empty()) {
        coded.flag = coded.comparator == ">=" ? ">" : "<";
        return;
    }
    // Compared as the texts show them, so a flag never contradicts the numbers beside it.
    const double value = LeadingDouble(coded.number);
    coded.flag = value > LeadingDouble(coded.high)  ? "H"
                 : value < LeadingDouble(coded.low) ? "L"
                                                    : "N";
}

} // namespace

CodedValue CodeValue(ResultKind kind, std::string_view storedValue, const SettingsStore& settings) {
    CodedValue coded;
    if (kind == ResultKind::HbA1c) {
        coded = SplitShown(FormatHbA1cText(settings, storedValue, false));
        if (settings.hba1cUnit != 0 && coded.ucum == "%") {
            // The list shows the meter's limits in percent even in mmol/mol; the interface
            // keeps one unit per assay.
            const double limit = LeadingDouble(coded.number);
            coded.number = FixedText(RoundedMmolPerMol(limit), 0);
            SetCode(coded, "mmol/mol");
        }
    } else {
        std::string shown = FormatGlucoseText(settings, storedValue);
        const bool mmol = settings.glucoseUnit != 0;
        if (shown == "Hi" || shown == "Lo" || shown == "Low") {
            // The list's words stand for limits that are themselves possible readings.
            const bool high = shown == "Hi";
            const double limit = high ? kGlucoseHighMgPerDl : kGlucoseLowMgPerDl;
            // Moved in whole: GCC 12 warns falsely (-Wmaybe-uninitialized) on a copy into it.
            coded.comparator = std::string(high ? ">=" : "<=");
            coded.number = mmol ? FixedText(static_cast<float>(limit / kMgPerDlPerMmolPerL), 1)
                                : std::to_string(static_cast<int>(limit));
            SetCode(coded, mmol ? "mmol/L" : "mg/dL");
        } else {
            coded = SplitShown(shown);
        }
    }
    AddRange(coded, kind, settings);
    return coded;
}

SettingsStore InterfaceUnits(const MessageContext& context) {
    SettingsStore units = context.display;
    units.hba1cUnit = context.link.sendHbA1cUnit;
    units.glucoseUnit = context.link.sendGlucoseUnit;
    return units;
}

std::string InstallationOid(const Uuid& installation) {
    unsigned __int128 value = 0;
    for (std::uint8_t byte : installation) {
        value = (value << 8) | byte;
    }
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
        value /= 10;
    } while (value != 0);
    return "2.25." + digits;
}

namespace {

bool IsOid(std::string_view text) {
    if (text.empty() || text.front() == '.' || text.back() == '.') {
        return false;
    }
    return text.find("..") == std::string_view::npos &&
           text.find_first_not_of("0123456789.") == std::string_view::npos;
}

} // namespace

std::string PatientAuthority(const MessageContext& context) {
    const InterfaceSettings& link = context.link;
    if (!link.assigningAuthority.empty()) {
        return IsOid(link.assigningAuthority) ? "&" + link.assigningAuthority + "&ISO"
                                              : link.assigningAuthority;
    }
    std::string escaped;
    AppendHl7Escaped(escaped, link.sendingFacility);
    return escaped + "&" + InstallationOid(context.installation) + ".1&ISO";
}

std::string PatientIdSystem(const MessageContext& context) {
    if (!context.link.patientIdSystem.empty()) {
        return context.link.patientIdSystem;
    }
    return "urn:oid:" + InstallationOid(context.installation) + ".1";
}

std::string ResultIdSystem(const MessageContext& context) {
    if (!context.link.resultIdSystem.empty()) {
        return context.link.resultIdSystem;
    }
    return "urn:oid:" + InstallationOid(context.installation) + ".2";
}

std::string RetiredResultIdSystem(const MessageContext& context) {
    return "urn:oid:" + InstallationOid(context.installation) + ".3";
}

bool HasPatient(const StoredResult& result) {
    return !result.patientId.empty() && result.patientId != kNoPatientId;
}

std::optional<CalendarDateTime> EnteredBirthday(const StoredResult& result) {
    if (result.birthday.empty() || result.birthday == kPlaceholderBirthday) {
        return std::nullopt;
    }
    std::optional<BirthDate> date = ParseStoredBirthday(result.birthday);
    if (!date) {
        return std::nullopt;
    }
    return CalendarDateTime{date->year, date->month, date->day, 0, 0, 0};
}

std::string ControlId(std::string_view operatorId, const StoredResult& result) {
    if (!result.followUpId.empty()) {
        return result.followUpId;
    }
    // The fields a stored result is told apart by (the import's duplicate test), with the
    // operator and kind, since each operator and kind has its own table.
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (std::string_view part :
         {operatorId, std::string_view(result.kind == ResultKind::HbA1c ? "H" : "G"),
          std::string_view(result.date), std::string_view(result.time),
          std::string_view(result.value), std::string_view(result.patientId)}) {
        hash = Fnv1a(part, hash);
        hash = Fnv1a(std::string_view("\x1f", 1), hash);
    }
    std::string id = "QA";
    id += result.kind == ResultKind::HbA1c ? 'H' : 'G';
    AppendHex(id, hash, 16);
    return id;
}

char ObservationStatusCode(ResultStatus status) {
    switch (status) {
    case ResultStatus::Corrected:
        return 'C';
    case ResultStatus::WrongPatient:
        return 'W';
    case ResultStatus::Deleted:
        return 'D';
    case ResultStatus::Final:
        break;
    }
    return 'F';
}

char OrderStatusCode(ResultStatus status) {
    return status == ResultStatus::Final ? 'F' : 'C';
}

const char* FhirObservationStatus(ResultStatus status) {
    switch (status) {
    case ResultStatus::Corrected:
        return "corrected";
    case ResultStatus::WrongPatient:
    case ResultStatus::Deleted:
        return "entered-in-error";
    case ResultStatus::Final:
        break;
    }
    return "final";
}

bool DiffersForReceiver(const StoredResult& sent, const StoredResult& now) {
    // A birth date never entered is the same whether it is stored empty or as the
    // import's placeholder.
    const auto born = [](const StoredResult& result) {
        return EnteredBirthday(result) ? result.birthday : std::string();
    };
    return born(sent) != born(now) || sent.kind != now.kind || sent.date != now.date ||
           sent.time != now.time || sent.value != now.value || sent.patientId != now.patientId ||
           sent.patientName != now.patientName;
}

std::string FollowUpControlId(std::string_view operatorId, const StoredResult& result,
                              ResultStatus status, std::string_view previousId) {
    const char letter = ObservationStatusCode(status);
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (std::string_view part :
         {operatorId, previousId, std::string_view(&letter, 1), std::string_view(result.date),
          std::string_view(result.time), std::string_view(result.value),
          std::string_view(result.patientId), std::string_view(result.patientName),
          std::string_view(result.birthday)}) {
        hash = Fnv1a(part, hash);
        hash = Fnv1a(std::string_view{"\x1f"}, hash);
    }
    std::string id = "QA";
    id += result.kind == ResultKind::HbA1c ? 'H' : 'G';
    id += letter;
    AppendHex(id, hash, 16);
    return id;
}

std::string ResultKey(std::string_view operatorId, const StoredResult& result) {
    return result.resultId.empty() ? ControlId(operatorId, result) : result.resultId;
}

char* PutHex(char* to, std::uint64_t value, int digits) {
    static constexpr char kDigits[] = "0123456789abcdef";
    for (int i = digits - 1; i >= 0; --i) {
        to[i] = kDigits[value & 0xf];
        value >>= 4;
    }
    return to + digits;
}

void AppendHex(std::string& out, std::uint64_t value, int digits) {
    char buffer[16];
    out.append(buffer, static_cast<std::size_t>(PutHex(buffer, value, digits) - buffer));
}

int LocalUtcOffsetMinutes(const CalendarDateTime& local) {
    std::tm fields{};
    fields.tm_year = local.year - 1900;
    fields.tm_mon = local.month - 1;
    fields.tm_mday = local.day;
    fields.tm_hour = local.hour;
    fields.tm_min = local.minute;
    fields.tm_sec = local.second;
    fields.tm_isdst = -1; // the zone's rules decide whether summer time applied then
    std::time_t moment = std::mktime(&fields);
    std::tm back{};
    if (moment == static_cast<std::time_t>(-1) || localtime_r(&moment, &back) == nullptr) {
        return 0;
    }
    return static_cast<int>(back.tm_gmtoff / 60);
}

int CachedLocalUtcOffsetMinutes(const CalendarDateTime& local) {
    // Asking mktime costs a look at the zone file each time. A day with one offset from
    // before its midnight to the next keeps it all day, so one answer serves every result of
    // such a day; on the days a zone changes its offset, the change falls on the hour or half
    // hour, and one answer per half hour of local time serves. A changed TZ starts the caches
    // afresh.
    constexpr int kChanges = std::numeric_limits<int>::min();
    thread_local std::unordered_map<std::int64_t, int> days;
    thread_local std::unordered_map<std::int64_t, int> cache;
    thread_local std::string zone;
    thread_local long lastDayOffset = 0;
    const char* current = std::getenv("TZ");
    if (zone != (current ? current : "\x01")) {
        zone = current ? current : "\x01";
        cache.clear();
        days.clear();
        ::tzset(); // localtime_r reads a changed TZ only after it
    }
    const std::int64_t day =
        (static_cast<std::int64_t>(local.year) * 13 + local.month) * 32 + local.day;
    auto known = days.find(day);
    if (known == days.end()) {
        if (days.size() > 100'000) {
            days.clear();
        }
        const std::optional<long> whole = WholeDayOffsetSeconds(local, lastDayOffset);
        if (whole) {
            lastDayOffset = *whole;
        }
        known = days.emplace(day, whole ? static_cast<int>(*whole / 60) : kChanges).first;
    }
    if (known->second != kChanges) {
        return known->second;
    }
    const std::int64_t key = ((day * 24 + local.hour) * 2) + (local.minute >= 30 ? 1 : 0);
    auto found = cache.find(key);
    if (found != cache.end()) {
        return found->second;
    }
    if (cache.size() > 100'000) {
        cache.clear();
    }
    const int offset = LocalUtcOffsetMinutes(local);
    cache.emplace(key, offset);
    return offset;
}

void AppendHl7Time(std::string& out, const CalendarDateTime& local,
                   const UtcOffsetFunction& offset) {
    AppendStamp(out, local, 0, 0, 0);
    AppendOffset(out, offset(local), false);
}

void AppendFhirTime(std::string& out, const CalendarDateTime& local,
                    const UtcOffsetFunction& offset) {
    AppendStamp(out, local, '-', 'T', ':');
    AppendOffset(out, offset(local), true);
}

std::string Hl7Time(const CalendarDateTime& local, const UtcOffsetFunction& offset) {
    std::string out;
    AppendHl7Time(out, local, offset);
    return out;
}

std::string FhirTime(const CalendarDateTime& local, const UtcOffsetFunction& offset) {
    std::string out;
    AppendFhirTime(out, local, offset);
    return out;
}

CalendarDateTime LocalNow() {
    std::time_t now = std::time(nullptr);
    std::tm fields{};
    localtime_r(&now, &fields);
    return CalendarDateTime{fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday,
                            fields.tm_hour,        fields.tm_min,     fields.tm_sec};
}

ResultWalk WalkOf(const std::vector<StoredResult>& results) {
    return [&results](const ResultEach& each, ResultParts) {
        for (const StoredResult& result : results) {
            if (!each(result)) {
                break;
            }
        }
        return true;
    };
}

Status FinishWalkedFile(bool written, bool read, const TextSink& sink, std::string_view last) {
    if (!written) {
        return MessageId::MessagesNotWritten;
    }
    if (!read) {
        return MessageId::MessagesNotRead;
    }
    if (!sink(last)) {
        return MessageId::MessagesNotWritten;
    }
    return {};
}

} // namespace qa::interop
