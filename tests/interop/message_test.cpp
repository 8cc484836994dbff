#include "interop/fhir_bundle.h"
#include "interop/hl7_message.h"
#include "interop_support.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <regex>

using namespace qa;
using namespace qa::interop;
using namespace qa::test;

namespace {

// Every delimiter of HL7 v2 in one patient ID.
const std::string kHostileId = "A|B^C~D\\E&F";

// The units the interface sends in; the display shows the other ones, which must not matter.
MessageContext Context(int hba1cUnit = 0, int glucoseUnit = 0) {
    MessageContext context;
    context.link.sendHbA1cUnit = hba1cUnit;
    context.link.sendGlucoseUnit = glucoseUnit;
    context.display.hba1cUnit = 1 - hba1cUnit;
    context.display.glucoseUnit = 1 - glucoseUnit;
    context.link.sendingApplication = "QuorinA1c";
    context.link.sendingFacility = "Ward 3&4";
    context.link.receivingApplication = "LIS^main";
    context.link.receivingFacility = "Central|Lab";
    context.operatorId = "nurse~1";
    context.composed = {2026, 12, 8, 9, 15, 30};
    context.utcOffset = [](const CalendarDateTime&) { return 9 * 60; };
    return context;
}

StoredResult HbA1c(std::string value, std::string pid = "P-100") {
    StoredResult r;
    r.kind = ResultKind::HbA1c;
    r.date = "20261207";
    r.time = "1430";
    r.value = std::move(value);
    r.patientId = std::move(pid);
    r.birthday = "19000101";
    return r;
}

StoredResult Glucose(std::string value) {
    StoredResult r;
    r.kind = ResultKind::Glucose;
    r.date = "20261206";
    r.time = "0805";
    r.value = std::move(value);
    r.patientId = "00000000000000";
    return r;
}

class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) {
            old_ = old;
        }
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ScopedTimeZone() {
        if (old_.empty()) {
            ::unsetenv("TZ");
        } else {
            ::setenv("TZ", old_.c_str(), 1);
        }
        ::tzset();
    }

private:
    std::string old_;
};

} // namespace

// The value goes out exactly as the list shows it; limits become comparators.
TEST(ResultCoding, ValuesCodesAndUnitsFollowTheList) {
    struct Case {
        ResultKind kind;
        int unit;
        const char* stored;
        const char* loinc;
        const char* comparator;
        const char* number;
        const char* ucum;
    };
    const Case cases[] = {
        {ResultKind::HbA1c, 0, "0650", "4548-4", "", "6.5", "%"},
        {ResultKind::HbA1c, 0, "0655", "4548-4", "", "6.6", "%"}, // as the list rounds it
        // 14.00 % is a reading of 14: the comparator holds for the value itself.
        {ResultKind::HbA1c, 0, "1400", "4548-4", ">=", "14", "%"},
        {ResultKind::HbA1c, 0, "0400", "4548-4", "<=", "4", "%"},
        {ResultKind::HbA1c, 1, "0650", "59261-8", "", "48", "mmol/mol"},
        // The list shows "> 14  %" in mmol/mol; the interface keeps one unit for the assay.
        {ResultKind::HbA1c, 1, "1520", "59261-8", ">=", "130", "mmol/mol"},
        {ResultKind::HbA1c, 1, "0390", "59261-8", "<=", "20", "mmol/mol"},
        {ResultKind::Glucose, 0, "104", "41653-7", "", "104", "mg/dL"},
        {ResultKind::Glucose, 0, "600", "41653-7", ">=", "600", "mg/dL"},
        {ResultKind::Glucose, 0, "010", "41653-7", "<=", "10", "mg/dL"},
        {ResultKind::Glucose, 1, "104", "14743-9", "", "5.8", "mmol/L"},
        {ResultKind::Glucose, 1, "650", "14743-9", ">=", "33.3", "mmol/L"},
        {ResultKind::Glucose, 1, "008", "14743-9", "<=", "0.6", "mmol/L"},
    };
    for (const Case& c : cases) {
        SettingsStore settings;
        settings.hba1cUnit = c.unit;
        settings.glucoseUnit = c.unit;
        CodedValue coded = CodeValue(c.kind, c.stored, settings);
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(coded.loinc, c.loinc);
        EXPECT_EQ(coded.comparator, c.comparator);
        EXPECT_EQ(coded.number, c.number);
        EXPECT_EQ(coded.ucum, c.ucum);
        if (c.kind == ResultKind::HbA1c && c.comparator[0] == '\0') {
            EXPECT_NE(FormatHbA1cText(settings, c.stored, false).find(c.number), std::string::npos);
        }
    }
}

TEST(ResultCoding, ControlIdsAreStableShortAndTellResultsApart) {
    StoredResult base = HbA1c("0650");
    const std::string id = ControlId("op", base);
    EXPECT_EQ(id, ControlId("op", HbA1c("0650")));
    EXPECT_LE(id.size(), 20u);
    EXPECT_NE(id, ControlId("op2", base));
    for (auto change : {&StoredResult::date, &StoredResult::time, &StoredResult::value,
                        &StoredResult::patientId}) {
        StoredResult other = base;
        other.*change += "1";
        EXPECT_NE(ControlId("op", other), id);
    }
    StoredResult glucose = base;
    glucose.kind = ResultKind::Glucose;
    EXPECT_NE(ControlId("op", glucose), id);
    // The patient's name and birth date are details, not identity: editing them keeps the ID.
    StoredResult named = base;
    named.patientName = "Kim";
    EXPECT_EQ(ControlId("op", named), id);
}

// The outbox knows a result as sent by its control ID. A new program that computed other IDs
// would find none of them sent and send every result of every operator again after the
// upgrade, so these values must never change: a change of the hash, of the fields it reads or
// of how they are joined has to fail here.
TEST(ResultCoding, ControlIdsOfGivenResultsAreTheSameInEveryVersion) {
    EXPECT_EQ(ControlId("op", HbA1c("0650")), "QAH07de2c2b9441051d");
    EXPECT_EQ(ControlId("nurse", Glucose("104")), "QAGdb1bf00c82c9ed22");
    EXPECT_EQ(ControlId("김철수", HbA1c("0650", "환자01")), "QAH6c0f3065e9c436c2");
    EXPECT_EQ(ControlId("nurse~1", HbA1c("0650", kHostileId)), "QAHedfc55f45d8e33af");
}

TEST(ResultCoding, TimesCarryTheMachinesOffsetOfThatMoment) {
    {
        ScopedTimeZone zone("Asia/Seoul");
        EXPECT_EQ(LocalUtcOffsetMinutes({2026, 7, 1, 12, 0, 0}), 540);
        EXPECT_EQ(FhirTime({2026, 12, 7, 14, 30, 0}, CachedLocalUtcOffsetMinutes),
                  "2026-12-07T14:30:00+09:00");
    }
    ScopedTimeZone zone("America/New_York");
    EXPECT_EQ(CachedLocalUtcOffsetMinutes({2026, 1, 15, 12, 0, 0}), -300);
    EXPECT_EQ(CachedLocalUtcOffsetMinutes({2026, 7, 15, 12, 0, 0}), -240) << "summer time then";
    EXPECT_EQ(Hl7Time({2026, 7, 15, 8, 5, 0}, CachedLocalUtcOffsetMinutes), "20260715080500-0400");
    ScopedTimeZone india("Asia/Kolkata");
    EXPECT_EQ(FhirTime({2026, 1, 2, 3, 4, 5}, CachedLocalUtcOffsetMinutes),
              "2026-01-02T03:04:05+05:30");
}

// The day's offset is kept for the whole day only where the day has one: across the changes
// to and from summer time every half hour gives what the zone rules give.
TEST(ResultCoding, CachedOffsetsFollowTheChangeDaysHalfHourByHalfHour) {
    ScopedTimeZone zone("Europe/Berlin");
    for (CalendarDateTime day : {CalendarDateTime{2026, 3, 28}, CalendarDateTime{2026, 3, 29},
                                 CalendarDateTime{2026, 10, 25}, CalendarDateTime{2026, 10, 31}}) {
        for (int minutes = 0; minutes < 24 * 60; minutes += 15) {
            CalendarDateTime at = day;
            at.hour = minutes / 60;
            at.minute = minutes % 60;
            EXPECT_EQ(CachedLocalUtcOffsetMinutes(at), LocalUtcOffsetMinutes(at))
                << at.month << "-" << at.day << " " << at.hour << ":" << at.minute;
        }
    }
    EXPECT_EQ(CachedLocalUtcOffsetMinutes({2026, 3, 29, 1, 30, 0}), 60);
    EXPECT_EQ(CachedLocalUtcOffsetMinutes({2026, 3, 29, 3, 30, 0}), 120);
    EXPECT_EQ(CachedLocalUtcOffsetMinutes({2026, 12, 31, 23, 59, 0}), 60) << "last day of a year";
}

// Zones whose clocks change at midnight, by half an hour, twice a year or around Ramadan, and
// one that never changes: over years of days, walked forward and backward as lists are sorted,
// the kept offsets are the zone rules' own.
TEST(ResultCoding, CachedOffsetsAgreeWithTheZoneRulesEveryDayInManyZones) {
    std::vector<CalendarDateTime> moments;
    for (int year = 2016; year <= 2027; ++year) {
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= 28; day += (month % 3 == 0 ? 1 : 3)) {
                for (int hour : {0, 1, 2, 3, 12, 23}) {
                    moments.push_back({year, month, day, hour, 30, 0});
                }
            }
        }
    }
    for (const char* name :
         {"America/Santiago", "America/Havana", "Australia/Lord_Howe", "Africa/Casablanca",
          "Pacific/Chatham", "Europe/Berlin", "Asia/Seoul"}) {
        for (bool backward : {false, true}) {
            ScopedTimeZone zone(name); // a changed zone starts the kept offsets afresh
            for (std::size_t i = 0; i < moments.size(); ++i) {
                const CalendarDateTime& at = moments[backward ? moments.size() - 1 - i : i];
                ASSERT_EQ(CachedLocalUtcOffsetMinutes(at), LocalUtcOffsetMinutes(at))
                    << name << (backward ? " backward " : " forward ") << at.year << "-" << at.month
                    << "-" << at.day << " " << at.hour << ":30";
            }
            ScopedTimeZone other("UTC");
            EXPECT_EQ(CachedLocalUtcOffsetMinutes(moments.front()), 0);
        }
    }
}

// Many results of both kinds with the same stored texts, more distinct values than the
// composers keep: every message of a file is the message of its result alone.
std::vector<StoredResult> ManyResults() {
    std::vector<StoredResult> results;
    for (int i = 0; i < 1500; ++i) {
        StoredResult r = i % 2 == 0 ? HbA1c("") : Glucose("");
        char value[8];
        std::snprintf(value, sizeof value, "%04d", 300 + (i * 7) % 1400);
        r.value = value;
        r.time = i % 3 == 0 ? "2400" : "0930"; // no moment every third result
        if (r.kind == ResultKind::HbA1c) {
            r.patientId = i % 5 == 0 ? kHostileId + std::to_string(i) : "P" + std::to_string(i);
            r.patientName = i % 7 == 0 ? "Lee|" + std::to_string(i) : "";
        }
        r.deviceModel = i % 11 == 0 ? "A1^c" : "";
        results.push_back(r);
    }
    return results;
}

TEST(Hl7, BatchOfManyResultsHoldsEachMessageAsComposedAlone) {
    const MessageContext context = Context(1, 1);
    const std::vector<StoredResult> results = ManyResults();
    std::vector<std::string> messages;
    for (const StoredResult& r : results) {
        messages.push_back(ComposeOruR01(r, context));
    }
    EXPECT_EQ(ComposeHl7Batch(results, context), ComposeHl7Batch(messages, context));
}

TEST(Fhir, BundleOfManyResultsHoldsEachObservationAsComposedAlone) {
    MessageContext context = Context();
    context.operatorId.clear(); // no performer
    const std::vector<StoredResult> results = ManyResults();
    const std::string bundle = ComposeFhirBundle(results, context);
    std::size_t at = 0;
    for (const StoredResult& r : results) {
        const std::string alone = ComposeFhirBundle({r}, context);
        // The result's Observation is the last entry of its own bundle.
        const std::size_t first = alone.rfind("{\"fullUrl\":");
        ASSERT_NE(first, std::string::npos);
        const std::string entry = alone.substr(first, alone.size() - first - 3); // "]}\n"
        const std::size_t found = bundle.find(entry, at);
        ASSERT_NE(found, std::string::npos) << entry;
        // Its Patient entry, first in its own bundle, is in the whole one once, before it.
        const std::size_t entries = alone.find("\"entry\":[") + 9;
        if (first > entries) {
            const std::string patient = alone.substr(entries, first - 1 - entries);
            const std::size_t placed = bundle.find(patient);
            ASSERT_NE(placed, std::string::npos) << patient;
            EXPECT_LT(placed, found);
            EXPECT_EQ(bundle.find(patient, placed + 1), std::string::npos) << patient;
        }
        at = found + entry.size();
    }
}

// fullUrls are version 5 UUIDs of the installation's namespace. The pinned values are what
// receivers have already been sent: they change only when the naming is changed on purpose,
// which renames every result for every receiver. (Python's uuid.uuid5 gives the same two for
// the names "Patient\x1fP-100" and "Observation\x1f" + the control ID.)
TEST(Fhir, EntryUuidsAreNamedInTheInstallationsNamespace) {
    MessageContext context = Context();
    context.installation = *ParseUuid("3c1f2a9e-7b4d-4e8a-9f00-5d6c7b8a9e01");
    const std::string bundle = ComposeFhirBundle({HbA1c("0650")}, context);
    const std::string patient = "urn:uuid:48dc0e75-6e3d-5214-a522-27cbb3decaf7";
    const std::string observation = "urn:uuid:f10834c0-402b-5205-b306-b16ae621e9a1";
    EXPECT_NE(bundle.find("{\"fullUrl\":\"" + patient + "\""), std::string::npos) << bundle;
    EXPECT_NE(bundle.find("{\"fullUrl\":\"" + observation + "\""), std::string::npos) << bundle;
    EXPECT_NE(bundle.find("\"reference\":\"" + patient + "\""), std::string::npos) << bundle;

    // Another installation's equal data gets other names; everything else is the same.
    MessageContext other = context;
    other.installation = *ParseUuid("3c1f2a9e-7b4d-4e8a-9f00-5d6c7b8a9e02");
    const std::string elsewhere = ComposeFhirBundle({HbA1c("0650")}, other);
    EXPECT_EQ(elsewhere.find(patient), std::string::npos);
    EXPECT_EQ(elsewhere.find(observation), std::string::npos);
    const std::regex uuid(
        "urn:uuid:[0-9a-f]{8}-[0-9a-f]{4}-5[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}");
    const std::regex oid("2\\.25\\.[0-9]+");
    EXPECT_EQ(std::regex_replace(std::regex_replace(elsewhere, uuid, "U"), oid, "O"),
              std::regex_replace(std::regex_replace(bundle, uuid, "U"), oid, "O"));
    EXPECT_NE(elsewhere.find("urn:oid:" + InstallationOid(other.installation) + ".2"),
              std::string::npos)
        << "the results' identifier system is the installation's own";
}

TEST(Hl7, EscapingRoundTripsEveryDelimiterAndControlCharacter) {
    const std::string text = kHostileId + "\r\n\x01 end";
    const std::string escaped = Hl7Escape(text);
    EXPECT_EQ(escaped, "A\\F\\B\\S\\C\\R\\D\\E\\E\\T\\F\\X0D\\\\X0A\\\\X01\\ end");
    EXPECT_EQ(escaped.find_first_of("|^~&\r\n"), std::string::npos);
    EXPECT_EQ(Hl7Unescape(escaped), text);
    EXPECT_EQ(Hl7Unescape("a\\Xzz\\b\\H\\c"), "abc") << "broken or formatting escapes drop";
    // Each delimiter alone among plain letters, as most IDs and names with one would be.
    const std::pair<char, const char*> alone[] = {
        {'|', "a\\F\\b"}, {'^', "a\\S\\b"}, {'~', "a\\R\\b"}, {'\\', "a\\E\\b"}, {'&', "a\\T\\b"}};
    for (const auto& [delimiter, expected] : alone) {
        EXPECT_EQ(Hl7Escape(std::string("a") + delimiter + "b"), expected) << delimiter;
    }
}

// Every message is read back by python3-hl7, field by field.
TEST(Hl7, MessagesAndBatchesReadBackByPythonHl7) {
    TempDir dir;
    MessageContext context = Context();
    StoredResult hostile = HbA1c("0650", kHostileId);
    hostile.resultId = "4d3c2b1a-0000-4000-8000-00000000c0de";
    hostile.patientName = "Kim^Min|ho";
    hostile.birthday = "19800215";
    StoredResult high = HbA1c("1450", "P&1");
    StoredResult glucose = Glucose("104");
    std::vector<std::string> messages = {ComposeOruR01(hostile, context),
                                         ComposeOruR01(high, context),
                                         ComposeOruR01(glucose, context)};
    WriteFile(dir.File("one.hl7"), messages[0]);
    WriteFile(dir.File("batch.hl7"), ComposeHl7Batch(messages, context));

    Readback one = ReadHl7WithPython(dir.File("one.hl7"));
    ASSERT_EQ(one.exitCode, 0) << one.errors;
    EXPECT_EQ(one.values["m0.patient_id"], kHostileId);
    EXPECT_EQ(one.values["m0.patient_name"], "Kim^Min|ho");

    Readback batch = ReadHl7WithPython(dir.File("batch.hl7"));
    ASSERT_EQ(batch.exitCode, 0) << batch.errors;
    Flat& f = batch.values;
    EXPECT_EQ(f["messages"], "3");
    EXPECT_EQ(f["trailer.batch_count"], "3");
    EXPECT_EQ(f["trailer.file_count"], "1");
    EXPECT_EQ(f["m0.field_separator"], "|");
    EXPECT_EQ(f["m0.encoding"], "^~\\&");
    EXPECT_EQ(f["m0.sending_application"], "QuorinA1c");
    EXPECT_EQ(f["m0.sending_facility"], "Ward 3&4");
    EXPECT_EQ(f["m0.receiving_application"], "LIS^main");
    EXPECT_EQ(f["m0.receiving_facility"], "Central|Lab");
    EXPECT_EQ(f["m0.time"], "20261208091530+0900");
    EXPECT_EQ(f["m0.type.1"], "ORU");
    EXPECT_EQ(f["m0.type.2"], "R01");
    EXPECT_EQ(f["m0.type.3"], "ORU_R01");
    EXPECT_EQ(f["m0.version"], "2.5.1");
    EXPECT_EQ(f["m0.control_id"], ControlId("nurse~1", hostile));
    EXPECT_EQ(f["m0.patient_id"], kHostileId);
    // The facility's name with the installation's OID for its patients (this context's
    // installation is the zero UUID).
    EXPECT_EQ(f["m0.patient_id_authority"], "Ward 3&4&2.25.0.1&ISO");
    EXPECT_EQ(f["m0.patient_id_type"], "MR");
    EXPECT_EQ(f["m0.birth_date"], "19800215");
    EXPECT_EQ(f["m0.obr_code.1"], "4548-4");
    EXPECT_EQ(f["m0.obr_time"], "20261207143000+0900");
    EXPECT_EQ(f["m0.obr_status"], "F");
    EXPECT_EQ(f["m0.obx_type"], "NM");
    EXPECT_EQ(f["m0.obx_value.1"], "6.5");
    EXPECT_EQ(f["m0.obx_units.1"], "%");
    EXPECT_EQ(f["m0.obx_units.3"], "UCUM");
    EXPECT_EQ(f["m0.obx_code.3"], "LN");
    EXPECT_EQ(f["m0.obx_status"], "F");
    EXPECT_EQ(f["m0.obx_time"], "20261207143000+0900");
    EXPECT_EQ(f["m0.obx_observer"], "nurse~1");

    EXPECT_EQ(f["m1.patient_id"], "P&1");
    EXPECT_EQ(f["m1.birth_date"], "") << "the import's placeholder is no birth date";
    EXPECT_EQ(f["m1.obx_type"], "SN");
    EXPECT_EQ(f["m1.obx_value.1"], ">=");
    EXPECT_EQ(f["m1.obx_value.2"], "14");
    // Against the operator's target range (4.5 to 6.7 %): in range, and beyond the scale.
    EXPECT_EQ(f["m0.obx_range"], "4.5-6.7");
    EXPECT_EQ(f["m0.obx_flags"], "N");
    EXPECT_EQ(f["m1.obx_flags"], ">");
    EXPECT_EQ(f["m0.obr_reported"], "20261208091530+0900");
    // OBR-3: the result's own ID when it has one, else (read without it) its control ID.
    EXPECT_EQ(f["m0.obr_filler"], "4d3c2b1a-0000-4000-8000-00000000c0de");
    EXPECT_EQ(f["m1.obr_filler"], f["m1.control_id"]);
    EXPECT_NE(f["m1.control_id"], f["m0.control_id"]);

    // Glucose results carry no patient: no PID, rather than a made-up patient.
    EXPECT_EQ(f["m2.patient_id"], "<none>");
    EXPECT_EQ(f["m2.segments.1"], "MSH");
    EXPECT_EQ(f["m2.segments.2"], "OBR");
    EXPECT_EQ(f["m2.segments.3"], "OBX");
    EXPECT_EQ(f["m2.obx_code.1"], "41653-7");
    EXPECT_EQ(f["m2.obx_value.1"], "104");
    EXPECT_EQ(f["m2.obx_units.1"], "mg/dL");
}

TEST(Hl7, AcknowledgementsAreReadWithTheirOwnDelimiters) {
    Acknowledgement plain = ParseAcknowledgement(
        "MSH|^~\\&|LIS|LAB|QuorinA1c||20261208||ACK^R01^ACK|9|P|2.5.1\rMSA|AE|QAH1|No \\T\\ way\r");
    EXPECT_EQ(plain.type, "ACK");
    EXPECT_EQ(plain.code, "AE");
    EXPECT_EQ(plain.controlId, "QAH1");
    EXPECT_EQ(plain.reason, "No & way");
    Acknowledgement other = ParseAcknowledgement("MSH#$%@*#a#b#c#d#t##ACK#9#P#2.5.1\r"
                                                 "MSA#AR#QAG2\rERR###207$Bad code\r");
    EXPECT_EQ(other.type, "ACK");
    EXPECT_EQ(other.code, "AR");
    EXPECT_EQ(other.controlId, "QAG2");
    EXPECT_EQ(other.reason, "Bad code") << "from ERR-3 when MSA-3 is empty";
    EXPECT_EQ(ParseAcknowledgement("garbage").code, "");
    EXPECT_EQ(ParseAcknowledgement("MSH|^~\\&|LIS|LAB|QuorinA1c||20261208||ORU^R01|9|P|2.5.1\r"
                                   "MSA|AA|QAH1\r")
                  .type,
              "ORU")
        << "the message code, not the whole type";
}

// Every bundle is valid against the FHIR R4 schema and reads back with its codes and values.
TEST(Fhir, BundleValidatesAndReadsBack) {
    TempDir dir;
    MessageContext context = Context(1, 1);
    StoredResult first = HbA1c("0650", kHostileId);
    first.resultId = "0b7e5c2a-9d41-4f3a-8c6e-2a1f0e9d8c7b";
    first.patientName = "Kim \"Min\"\x01\xff";
    first.birthday = "19800215";
    StoredResult second = HbA1c("1450", kHostileId); // same patient: one Patient entry
    second.time = "1500";
    StoredResult glucose = Glucose("650");
    WriteFile(dir.File("bundle.json"), ComposeFhirBundle({first, second, glucose}, context));

    Readback read = ValidateFhir(dir.File("bundle.json"));
    ASSERT_EQ(read.exitCode, 0) << read.errors;
    Flat& f = read.values;
    EXPECT_EQ(f["valid"], "1");
    EXPECT_EQ(f["resourceType"], "Bundle");
    EXPECT_EQ(f["type"], "transaction");
    EXPECT_EQ(EntryTypes(f),
              (std::vector<std::string>{"Patient", "Observation", "Observation", "Observation"}));

    const std::string system = "urn:oid:2.25.0.1";
    EXPECT_EQ(f["entry.0.resource.identifier.0.system"], system);
    EXPECT_EQ(f["entry.0.resource.identifier.0.value"], kHostileId);
    EXPECT_EQ(f["entry.0.resource.name.0.text"], "Kim \"Min\"\x01\xef\xbf\xbd");
    EXPECT_EQ(f["entry.0.resource.birthDate"], "1980-02-15");
    EXPECT_EQ(f["entry.0.request.method"], "POST");
    EXPECT_EQ(f["entry.0.request.ifNoneExist"],
              "identifier=urn%3Aoid%3A2.25.0.1|A%5C%7CB%5EC~D%5C%5CE%26F");

    const std::string o = "entry.1.resource.";
    EXPECT_EQ(f[o + "status"], "final");
    EXPECT_EQ(f[o + "category.0.coding.0.code"], "laboratory");
    EXPECT_EQ(f[o + "code.coding.0.system"], "http://loinc.org");
    EXPECT_EQ(f[o + "code.coding.0.code"], "59261-8");
    EXPECT_EQ(f[o + "valueQuantity.value"], "48");
    EXPECT_EQ(f[o + "valueQuantity.code"], "mmol/mol");
    EXPECT_EQ(f[o + "valueQuantity.system"], "http://unitsofmeasure.org");
    EXPECT_EQ(f.count(o + "valueQuantity.comparator"), 0u);
    EXPECT_EQ(f[o + "effectiveDateTime"], "2026-12-07T14:30:00+09:00");
    EXPECT_EQ(f[o + "subject.identifier.value"], kHostileId);
    EXPECT_EQ(f[o + "subject.identifier.system"], system);
    EXPECT_EQ(f[o + "subject.reference"], f["entry.0.fullUrl"]);
    EXPECT_EQ(f[o + "performer.0.identifier.value"], "nurse~1");
    EXPECT_EQ(f[o + "identifier.0.value"], first.resultId) << "the result's own ID";
    EXPECT_EQ(f["entry.1.request.ifNoneExist"],
              "identifier=urn%3Aoid%3A2.25.0.2|" + first.resultId);
    EXPECT_EQ(f["entry.1.request.url"], "Observation");

    const std::string high = "entry.2.resource.valueQuantity.";
    EXPECT_EQ(f[high + "comparator"], ">=");
    EXPECT_EQ(f[high + "value"], "130");
    EXPECT_EQ(f[high + "code"], "mmol/mol");
    EXPECT_EQ(f["entry.2.resource.code.coding.0.code"], "59261-8") << "one code per assay";
    EXPECT_EQ(f["entry.2.resource.interpretation.0.coding.0.code"], ">");
    // The operator's target range (4.5 to 6.7 %) in the unit sent, as a treatment range.
    EXPECT_EQ(f[o + "referenceRange.0.low.value"], "26");
    EXPECT_EQ(f[o + "referenceRange.0.high.value"], "50");
    EXPECT_EQ(f[o + "referenceRange.0.high.code"], "mmol/mol");
    EXPECT_EQ(f[o + "referenceRange.0.type.coding.0.code"], "treatment");
    EXPECT_EQ(f[o + "interpretation.0.coding.0.code"], "N");
    EXPECT_EQ(f[o + "issued"], "2026-12-08T09:15:30+09:00");

    const std::string g = "entry.3.resource.";
    EXPECT_EQ(f[g + "code.coding.0.code"], "14743-9");
    EXPECT_EQ(f[g + "valueQuantity.comparator"], ">=");
    EXPECT_EQ(f[g + "valueQuantity.value"], "33.3");
    EXPECT_EQ(f[g + "valueQuantity.unit"], "mmol/L");
    EXPECT_EQ(f.count(g + "subject.reference"), 0u) << "no made-up patient";
    EXPECT_EQ(f[g + "effectiveDateTime"], "2026-12-06T08:05:00+09:00");
}

// The validator is a real check: a bundle with an unknown status fails it; an empty
// bundle passes.
TEST(Fhir, ValidatorRefusesAnInvalidBundleAndTakesAnEmptyOne) {
    TempDir dir;
    std::string bundle = ComposeFhirBundle({HbA1c("0650")}, Context());
    std::size_t at = bundle.find("\"final\"");
    ASSERT_NE(at, std::string::npos);
    bundle.replace(at, 7, "\"done\"");
    WriteFile(dir.File("bad.json"), bundle);
    WriteFile(dir.File("empty.json"), ComposeFhirBundle({}, Context()));
    std::vector<Readback> read = ValidateFhir({dir.File("bad.json"), dir.File("empty.json")});
    EXPECT_EQ(read[0].values["valid"], "0");
    EXPECT_EQ(read[0].values["type"], "transaction") << "it was read, and refused";
    EXPECT_EQ(read[1].values["valid"], "1") << read[1].errors;
}
