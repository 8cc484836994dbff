#include "interop/fhir_bundle.h"

#include "interop/json_writer.h"

#include <array>
#include <cstdint>
#include <unordered_set>

namespace qa::interop {

namespace {

void AppendPercentEncoded(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (unsigned char c : text) {
        bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
        if (unreserved) {
            out += static_cast<char>(c);
        } else {
            const char escaped[3] = {'%', kHex[c >> 4], kHex[c & 0xf]};
            out.append(escaped, 3);
        }
    }
}

std::string PercentEncode(std::string_view text) {
    std::string out;
    AppendPercentEncoded(out, text);
    return out;
}

// The value part of a conditional create's search: the value's own '|', ',', '$' and '\'
// escaped as FHIR search wants, then percent-encoded.
void AppendSearchValue(std::string& out, std::string_view value) {
    static constexpr std::string_view kSpecial = "\\|,$";
    if (value.find_first_of(kSpecial) == std::string_view::npos) {
        AppendPercentEncoded(out, value);
        return;
    }
    std::string escaped;
    for (char c : value) {
        if (kSpecial.find(c) != std::string_view::npos) {
            escaped += '\\';
        }
        escaped += c;
    }
    AppendPercentEncoded(out, escaped);
}

// A name-based identifier for an entry, so the same result or patient gets the same
// fullUrl in every export.
void AppendEntryUuid(std::string& out, std::string_view kind, std::string_view key) {
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
    out += "urn:uuid:";
    AppendHex(out, a >> 32, 8);
    out += '-';
    AppendHex(out, (a >> 16) & 0xffff, 4);
    out += '-';
    AppendHex(out, a & 0xffff, 4);
    out += '-';
    AppendHex(out, b >> 48, 4);
    out += '-';
    AppendHex(out, b & 0xffffffffffffULL, 12);
}

// What every entry of one bundle shares, written once as JSON text.
struct BundleParts {
    explicit BundleParts(const MessageContext& context) {
        const std::string system = PatientIdSystem(context.link);
        patientIdentifier = R"(,"resource":{"resourceType":"Patient","identifier":[{"system":)";
        AppendJsonString(patientIdentifier, system);
        patientIdentifier += R"(,"value":)";
        patientRequest = R"(},"request":{"method":"POST","url":"Patient","ifNoneExist":")";
        patientRequest += "identifier=";
        AppendPercentEncoded(patientRequest, system);
        patientRequest += '|';
        subjectIdentifier = R"(,"identifier":{"system":)";
        AppendJsonString(subjectIdentifier, system);
        subjectIdentifier += R"(,"value":)";
        if (!context.operatorId.empty()) {
            performer = R"(,"performer":[{"identifier":{"system":)";
            AppendJsonString(performer, kOperatorIdSystem);
            performer += R"(,"value":)";
            AppendJsonString(performer, context.operatorId);
            performer += R"(},"display":)";
            AppendJsonString(performer, context.operatorId);
            performer += "}]";
        }
        observationRequest = R"(},"request":{"method":"POST","url":"Observation","ifNoneExist":")";
        observationRequest += "identifier=";
        AppendPercentEncoded(observationRequest, kControlIdSystem);
        observationRequest += '|';
    }

    std::string patientIdentifier;
    std::string patientRequest;
    std::string subjectIdentifier;
    std::string performer;
    std::string observationRequest;
    // The code and value of the last stored values met: a long list holds few of them.
    struct Coded {
        bool filled = false;
        ResultKind kind = ResultKind::HbA1c;
        std::string stored;
        std::string code;  // "code":{...},
        std::string value; // "valueQuantity":{...}
    };
    std::array<Coded, 256> coded;
};

void WritePatient(JsonWriter& json, const StoredResult& result, const BundleParts& parts) {
    std::string& out = json.RawValue();
    out += R"({"fullUrl":")";
    AppendEntryUuid(out, "Patient", result.patientId);
    out += '"';
    out += parts.patientIdentifier;
    AppendJsonString(out, result.patientId);
    out += "}]";
    if (!result.patientName.empty()) {
        out += R"(,"name":[{"text":)";
        AppendJsonString(out, result.patientName);
        out += "}]";
    }
    if (std::optional<CalendarDateTime> born = EnteredBirthday(result)) {
        std::string date;
        AppendCalendar(*born, "%Y-%m-%d", date);
        out += R"(,"birthDate":)";
        AppendJsonString(out, date);
    }
    out += parts.patientRequest;
    AppendSearchValue(out, result.patientId);
    out += "\"}}";
}

const BundleParts::Coded& CodedParts(BundleParts& parts, const StoredResult& result,
                                     const SettingsStore& display) {
    std::size_t slot = result.value.size() * 2 + (result.kind == ResultKind::HbA1c ? 1 : 0);
    for (char c : result.value) {
        slot = slot * 31 + static_cast<unsigned char>(c);
    }
    BundleParts::Coded& cached = parts.coded[slot % parts.coded.size()];
    if (cached.filled && cached.kind == result.kind && cached.stored == result.value) {
        return cached;
    }
    const CodedValue coded = CodeValue(result.kind, result.value, display);
    cached.filled = true;
    cached.kind = result.kind;
    cached.stored = result.value;
    std::string& code = cached.code;
    code = R"("code":{"coding":[{"system":"http://loinc.org","code":)";
    AppendJsonString(code, coded.loinc);
    code += R"(,"display":)";
    AppendJsonString(code, coded.loincName);
    code += R"(}],"text":)";
    AppendJsonString(code, coded.loincName);
    code += '}';
    std::string& value = cached.value;
    value = R"(,"valueQuantity":{)";
    if (!coded.comparator.empty()) {
        value += R"("comparator":)";
        AppendJsonString(value, coded.comparator);
        value += ',';
    }
    value += R"("value":)";
    if (IsJsonNumber(coded.number)) {
        value += coded.number;
    } else {
        AppendJsonString(value, coded.number);
    }
    value += R"(,"unit":)";
    AppendJsonString(value, coded.ucum);
    value += R"(,"system":"http://unitsofmeasure.org","code":)";
    AppendJsonString(value, coded.ucum);
    value += '}';
    return cached;
}

void WriteObservation(JsonWriter& json, const StoredResult& result, const MessageContext& context,
                      BundleParts& parts) {
    const std::string controlId = ControlId(context.operatorId, result);
    const BundleParts::Coded& coded = CodedParts(parts, result, context.display);
    std::string& out = json.RawValue();
    out += R"({"fullUrl":")";
    AppendEntryUuid(out, "Observation", controlId);
    out += R"(","resource":{"resourceType":"Observation","identifier":[{"system":)";
    AppendJsonString(out, kControlIdSystem);
    out += R"(,"value":)";
    AppendJsonString(out, controlId);
    out += R"(}],"status":"final","category":[{"coding":[{"system":)"
           R"("http://terminology.hl7.org/CodeSystem/observation-category","code":"laboratory",)"
           R"("display":"Laboratory"}]}],)";
    out += coded.code;
    if (HasPatient(result)) {
        out += R"(,"subject":{"reference":")";
        AppendEntryUuid(out, "Patient", result.patientId);
        out += '"';
        out += parts.subjectIdentifier;
        AppendJsonString(out, result.patientId);
        out += "}}";
    }
    if (std::optional<CalendarDateTime> measured = ParseStoredDateTime(result.date, result.time)) {
        out += R"(,"effectiveDateTime":")";
        AppendFhirTime(out, *measured, context.utcOffset);
        out += '"';
    }
    out += parts.performer;
    out += coded.value;
    out += R"(,"device":{)";
    if (!result.deviceModel.empty()) {
        out += R"("identifier":{"system":)";
        AppendJsonString(out, kDeviceSystem);
        out += R"(,"value":)";
        AppendJsonString(out, result.deviceModel);
        out += "},";
    }
    out += result.kind == ResultKind::HbA1c ? R"("display":"HbA1c point-of-care meter"})"
                                            : R"("display":"Blood glucose point-of-care meter"})";
    out += parts.observationRequest;
    AppendSearchValue(out, controlId);
    out += "\"}}";
}

} // namespace

std::string PatientIdSystem(const InterfaceSettings& link) {
    if (link.sendingFacility.empty()) {
        return kPatientIdSystem;
    }
    return std::string(kPatientIdSystem) + ":" + PercentEncode(link.sendingFacility);
}

std::string IdentifierQuery(std::string_view system, std::string_view value) {
    std::string query = "identifier=";
    AppendPercentEncoded(query, system);
    query += '|';
    AppendSearchValue(query, value);
    return query;
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
    BundleParts parts(context);
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
    // One walk: each patient's entry goes just before the first Observation that names it
    // (a transaction resolves references across the whole bundle, whatever the order), so
    // the rows are read once and only the patient IDs are held.
    std::unordered_set<std::string> patients;
    const bool read = walk(
        [&](const StoredResult& result) {
            if (!any) {
                json.Key("entry").BeginArray();
                any = true;
            }
            if (HasPatient(result) && patients.insert(result.patientId).second) {
                WritePatient(json, result, parts);
            }
            WriteObservation(json, result, context, parts);
            return flush();
        },
        ResultParts::All);
    if (any) {
        json.EndArray();
    }
    json.EndObject();
    block += '\n';
    return read && written && sink(block);
}

} // namespace qa::interop
