#include "interop/fhir_bundle.h"

#include "interop/json_writer.h"

#include <cstdint>
#include <cstdio>
#include <unordered_set>

namespace qa::interop {

namespace {

std::string PercentEncode(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
        if (unreserved) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0xf];
        }
    }
    return out;
}

// A name-based identifier for an entry, so the same result or patient gets the same
// fullUrl in every export.
std::string EntryUuid(std::string_view kind, std::string_view key) {
    std::uint64_t a = 0xcbf29ce484222325ULL;
    std::uint64_t b = 0x84222325cbf29ce4ULL;
    for (std::string_view part : {kind, std::string_view("\x1f", 1), key}) {
        for (unsigned char c : part) {
            a = (a ^ c) * 0x100000001b3ULL;
            b = (b ^ c) * 0x1000193ULL + 0x9e3779b97f4a7c15ULL;
        }
    }
    // Version 8 (custom) layout with the RFC 4122 variant bits.
    b = (b & 0x3fffffffffffffffULL) | 0x8000000000000000ULL;
    a = (a & 0xffffffffffff0fffULL) | 0x0000000000008000ULL;
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "urn:uuid:%08llx-%04llx-%04llx-%04llx-%012llx",
                  static_cast<unsigned long long>(a >> 32),
                  static_cast<unsigned long long>((a >> 16) & 0xffff),
                  static_cast<unsigned long long>(a & 0xffff),
                  static_cast<unsigned long long>(b >> 48),
                  static_cast<unsigned long long>(b & 0xffffffffffffULL));
    return buffer;
}

void Identifier(JsonWriter& json, std::string_view system, std::string_view value) {
    json.BeginObject().Field("system", system).Field("value", value).EndObject();
}

void WritePatient(JsonWriter& json, const StoredResult& result, const std::string& system) {
    json.BeginObject();
    json.Field("fullUrl", EntryUuid("Patient", result.patientId));
    json.Key("resource").BeginObject().Field("resourceType", "Patient");
    json.Key("identifier").BeginArray();
    Identifier(json, system, result.patientId);
    json.EndArray();
    if (!result.patientName.empty()) {
        json.Key("name").BeginArray().BeginObject().Field("text", result.patientName);
        json.EndObject().EndArray();
    }
    if (std::optional<CalendarDateTime> born = EnteredBirthday(result)) {
        json.Field("birthDate", FormatCalendar(*born, "%Y-%m-%d"));
    }
    json.EndObject();
    json.Key("request").BeginObject().Field("method", "POST").Field("url", "Patient");
    json.Field("ifNoneExist", IdentifierQuery(system, result.patientId)).EndObject();
    json.EndObject();
}

void WriteObservation(JsonWriter& json, const StoredResult& result, const MessageContext& context,
                      const std::string& patientSystem) {
    const std::string controlId = ControlId(context.operatorId, result);
    const CodedValue coded = CodeValue(result.kind, result.value, context.display);
    json.BeginObject();
    json.Field("fullUrl", EntryUuid("Observation", controlId));
    json.Key("resource").BeginObject().Field("resourceType", "Observation");
    json.Key("identifier").BeginArray();
    Identifier(json, kControlIdSystem, controlId);
    json.EndArray();
    json.Field("status", "final");
    json.Key("category").BeginArray().BeginObject().Key("coding").BeginArray().BeginObject();
    json.Field("system", "http://terminology.hl7.org/CodeSystem/observation-category");
    json.Field("code", "laboratory").Field("display", "Laboratory");
    json.EndObject().EndArray().EndObject().EndArray();
    json.Key("code").BeginObject().Key("coding").BeginArray().BeginObject();
    json.Field("system", "http://loinc.org").Field("code", coded.loinc);
    json.Field("display", coded.loincName).EndObject().EndArray();
    json.Field("text", coded.loincName).EndObject();
    if (HasPatient(result)) {
        json.Key("subject").BeginObject();
        json.Field("reference", EntryUuid("Patient", result.patientId));
        json.Key("identifier");
        Identifier(json, patientSystem, result.patientId);
        json.EndObject();
    }
    if (std::optional<CalendarDateTime> measured = ParseStoredDateTime(result.date, result.time)) {
        json.Field("effectiveDateTime", FhirTime(*measured, context.utcOffset));
    }
    if (!context.operatorId.empty()) {
        json.Key("performer").BeginArray().BeginObject().Key("identifier");
        Identifier(json, kOperatorIdSystem, context.operatorId);
        json.Field("display", context.operatorId).EndObject().EndArray();
    }
    json.Key("valueQuantity").BeginObject();
    if (!coded.comparator.empty()) {
        json.Field("comparator", coded.comparator);
    }
    json.Key("value").Number(coded.number);
    json.Field("unit", coded.ucum).Field("system", "http://unitsofmeasure.org");
    json.Field("code", coded.ucum).EndObject();
    json.Key("device").BeginObject();
    if (!result.deviceModel.empty()) {
        json.Key("identifier");
        Identifier(json, kDeviceSystem, result.deviceModel);
    }
    json.Field("display", result.kind == ResultKind::HbA1c ? "HbA1c point-of-care meter"
                                                           : "Blood glucose point-of-care meter");
    json.EndObject();
    json.EndObject();
    json.Key("request").BeginObject().Field("method", "POST").Field("url", "Observation");
    json.Field("ifNoneExist", IdentifierQuery(kControlIdSystem, controlId)).EndObject();
    json.EndObject();
}

} // namespace

std::string PatientIdSystem(const InterfaceSettings& link) {
    if (link.sendingFacility.empty()) {
        return kPatientIdSystem;
    }
    return std::string(kPatientIdSystem) + ":" + PercentEncode(link.sendingFacility);
}

std::string IdentifierQuery(std::string_view system, std::string_view value) {
    std::string escaped;
    for (char c : value) {
        if (c == '\\' || c == '|' || c == ',' || c == '$') {
            escaped += '\\';
        }
        escaped += c;
    }
    return "identifier=" + PercentEncode(system) + "|" + PercentEncode(escaped);
}

std::string ComposeFhirBundle(const std::vector<StoredResult>& results,
                              const MessageContext& context) {
    std::string out;
    out.reserve(results.size() * 1400 + 256);
    (void)WriteFhirBundle(WalkOf(results), context, [&out](std::string_view block) {
        out += block;
        return true;
    });
    return out;
}

bool WriteFhirBundle(const ResultWalk& walk, const MessageContext& context, const TextSink& sink) {
    constexpr std::size_t kBlock = 1 << 16;
    const std::string patientSystem = PatientIdSystem(context.link);
    std::string block;
    block.reserve(kBlock + 8192);
    JsonWriter json(block);
    json.BeginObject().Field("resourceType", "Bundle").Field("type", "transaction");
    json.Field("timestamp", FhirTime(context.composed, context.utcOffset));
    bool written = true;
    auto flush = [&] {
        if (block.size() >= kBlock) {
            written = sink(block);
            block.clear();
        }
        return written;
    };
    // FHIR allows no empty arrays: the entries open with the first result.
    bool any = false;
    std::unordered_set<std::string> patients;
    bool read = walk([&](const StoredResult& result) {
        if (!any) {
            json.Key("entry").BeginArray();
            any = true;
        }
        if (HasPatient(result) && patients.insert(result.patientId).second) {
            WritePatient(json, result, patientSystem);
        }
        return flush();
    });
    patients = {};
    if (read && written && any) {
        read = walk([&](const StoredResult& result) {
            WriteObservation(json, result, context, patientSystem);
            return flush();
        });
        json.EndArray();
    }
    json.EndObject();
    block += '\n';
    return read && written && sink(block);
}

} // namespace qa::interop
