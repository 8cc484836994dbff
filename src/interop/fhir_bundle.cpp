#include "interop/fhir_bundle.h"

#include "interop/json_writer.h"

#include <cstdint>
#include <unordered_set>
#include <vector>

namespace qa::interop {

namespace {

using namespace std::string_view_literals;

bool Unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

void AppendPercentEncoded(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::size_t i = 0;
    while (i < text.size()) {
        // Runs of plain characters go over in one piece: IDs are mostly nothing else.
        std::size_t plain = i;
        while (plain < text.size() && Unreserved(static_cast<unsigned char>(text[plain]))) {
            ++plain;
        }
        out.append(text.data() + i, plain - i);
        if (plain == text.size()) {
            break;
        }
        const auto c = static_cast<unsigned char>(text[plain]);
        const char escaped[3] = {'%', kHex[c >> 4], kHex[c & 0xf]};
        out.append(escaped, 3);
        i = plain + 1;
    }
}

// The value part of a conditional create's search: the value's own '|', ',', '$' and '\'
// escaped as FHIR search wants, then percent-encoded.
void AppendSearchValue(std::string& out, std::string_view value) {
    std::size_t plain = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\\' || c == '|' || c == ',' || c == '$') {
            AppendPercentEncoded(out, value.substr(plain, i - plain));
            out += "%5C"; // the escaping backslash, itself percent-encoded
            plain = i;
        }
    }
    AppendPercentEncoded(out, value.substr(plain));
}

// The entries' fullUrls are RFC 9562 version 5 UUIDs in the installation's namespace, of the
// name "<resource type>\x1f<key>": the patient ID of a Patient, the control ID of an
// Observation. The same result or patient so gets the same fullUrl in every export of this
// installation, and another installation's equal data gets other ones.
// Upgrade rule: the name and the namespace are part of what a receiver has seen; changing
// either renames every entry ever sent, so the pinned value in the tests changes only with a
// deliberate decision to do that.
constexpr std::string_view kPatientUuidPrefix = "Patient\x1f";
constexpr std::string_view kObservationUuidPrefix = "Observation\x1f";

// What every entry of one bundle shares, written once as JSON text.
struct BundleParts {
    explicit BundleParts(const MessageContext& context)
        : patientUuid(context.installation, kPatientUuidPrefix),
          observationUuid(context.installation, kObservationUuidPrefix),
          resultSystem(ResultIdSystem(context)), retiredSystem(RetiredResultIdSystem(context)),
          units(InterfaceUnits(context)) {
        const std::string system = PatientIdSystem(context);
        patientIdentifier = R"(,"resource":{"resourceType":"Patient","identifier":[{"system":)";
        AppendJsonString(patientIdentifier, system);
        patientIdentifier += R"(,"value":)"sv;
        patientRequest = R"(},"request":{"method":"POST","url":"Patient","ifNoneExist":")";
        patientRequest += "identifier=";
        AppendPercentEncoded(patientRequest, system);
        patientRequest += '|';
        subjectIdentifier = R"(,"identifier":{"system":)";
        AppendJsonString(subjectIdentifier, system);
        subjectIdentifier += R"(,"value":)"sv;
        if (!context.operatorId.empty()) {
            performer = R"(,"performer":[{"identifier":{"system":)";
            AppendJsonString(performer, kOperatorIdSystem);
            performer += R"(,"value":)"sv;
            AppendJsonString(performer, context.operatorId);
            performer += R"(},"display":)"sv;
            AppendJsonString(performer, context.operatorId);
            performer += "}]";
        }
        observationRequest = R"(},"request":{"method":"POST","url":"Observation","ifNoneExist":")";
        observationRequest += "identifier=";
        AppendPercentEncoded(observationRequest, resultSystem);
        observationRequest += '|';
        observationUpdate = R"(},"request":{"method":"PUT","url":"Observation?identifier=)";
        AppendPercentEncoded(observationUpdate, resultSystem);
        observationUpdate += "%7C";
        issued = R"(,"issued":")";
        AppendFhirTime(issued, context.composed, context.utcOffset);
        issued += '"';
    }

    NameUuid patientUuid;
    NameUuid observationUuid;
    std::string patientIdentifier;
    std::string patientRequest;
    std::string subjectIdentifier;
    std::string performer;
    std::string observationRequest;
    std::string observationUpdate; // a conditional update on the result's identifier
    std::string resultSystem;
    std::string retiredSystem;
    SettingsStore units; // the display settings in the interface's units
    std::string issued;  // ,"issued":"…"
    // The code and value of the last stored values met: a long list holds few of them.
    struct Coded {
        bool filled = false;
        ResultKind kind = ResultKind::HbA1c;
        std::string stored;
        std::string code;  // "code":{...},
        std::string value; // "valueQuantity":{...}
    };
    // More slots than a clinic's list holds distinct stored values (some hundreds).
    std::vector<Coded> coded = std::vector<Coded>(4096);
};

void WritePatient(JsonWriter& json, const StoredResult& result, std::string_view uuid,
                  const BundleParts& parts) {
    std::string& out = json.RawValue();
    out += R"({"fullUrl":")"sv;
    out += uuid;
    out += '"';
    out += parts.patientIdentifier;
    AppendJsonString(out, result.patientId);
    out += "}]";
    if (!result.patientName.empty()) {
        out += R"(,"name":[{"text":)"sv;
        AppendJsonString(out, result.patientName);
        out += "}]";
    }
    if (std::optional<CalendarDateTime> born = EnteredBirthday(result)) {
        std::string date;
        AppendCalendar(*born, "%Y-%m-%d", date);
        out += R"(,"birthDate":)"sv;
        AppendJsonString(out, date);
    }
    out += parts.patientRequest;
    AppendSearchValue(out, result.patientId);
    out += "\"}}";
}

void AppendQuantity(std::string& out, const std::string& number, const std::string& ucum) {
    out += R"({"value":)"sv;
    out += number;
    out += R"(,"unit":)"sv;
    AppendJsonString(out, ucum);
    out += R"(,"system":"http://unitsofmeasure.org","code":)"sv;
    AppendJsonString(out, ucum);
    out += '}';
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
    code += R"(,"display":)"sv;
    AppendJsonString(code, coded.loincName);
    code += R"(}],"text":)"sv;
    AppendJsonString(code, coded.loincName);
    code += '}';
    std::string& value = cached.value;
    value = R"(,"valueQuantity":{)";
    if (!coded.comparator.empty()) {
        value += R"("comparator":)"sv;
        AppendJsonString(value, coded.comparator);
        value += ',';
    }
    value += R"("value":)"sv;
    if (IsJsonNumber(coded.number)) {
        value += coded.number;
    } else {
        AppendJsonString(value, coded.number);
    }
    value += R"(,"unit":)"sv;
    AppendJsonString(value, coded.ucum);
    value += R"(,"system":"http://unitsofmeasure.org","code":)"sv;
    AppendJsonString(value, coded.ucum);
    value += '}';
    if (!coded.flag.empty()) {
        value += R"(,"interpretation":[{"coding":[{"system":)"
                 R"("http://terminology.hl7.org/CodeSystem/v3-ObservationInterpretation",)"
                 R"("code":)"sv;
        AppendJsonString(value, coded.flag);
        value += "}]}]";
    }
    if (!coded.low.empty()) {
        // The operator's target range: a treatment range, not the laboratory's normal one.
        value += R"(,"referenceRange":[{"low":)"sv;
        AppendQuantity(value, coded.low, coded.ucum);
        value += R"(,"high":)"sv;
        AppendQuantity(value, coded.high, coded.ucum);
        value += R"(,"type":{"coding":[{"system":)"
                 R"("http://terminology.hl7.org/CodeSystem/referencerange-meaning",)"
                 R"("code":"treatment"}]}}])"sv;
    }
    return cached;
}

// `patientUuid` is the fullUrl of the result's Patient entry, when it has a patient.
void WriteObservation(JsonWriter& json, const StoredResult& result, std::string_view patientUuid,
                      const MessageContext& context, BundleParts& parts) {
    const std::string controlId = ControlId(context.operatorId, result);
    const BundleParts::Coded& coded = CodedParts(parts, result, parts.units);
    std::string& out = json.RawValue();
    out += R"({"fullUrl":")"sv;
    parts.observationUuid.AppendUrn(out, controlId);
    out += R"(","resource":{"resourceType":"Observation","identifier":[{)"sv;
    const bool retired = result.status == ResultStatus::WrongPatient;
    if (retired) {
        // It gives the result's identifier up to the result under its right patient.
        out += R"("use":"old","system":)"sv;
        AppendJsonString(out, parts.retiredSystem);
    } else {
        out += R"("system":)"sv;
        AppendJsonString(out, parts.resultSystem);
    }
    out += R"(,"value":)"sv;
    const std::string key = ResultKey(context.operatorId, result);
    AppendJsonString(out, key);
    out += R"(}],"status":")"sv;
    out += FhirObservationStatus(result.status);
    out += R"(","category":[{"coding":[{"system":)"
           R"("http://terminology.hl7.org/CodeSystem/observation-category","code":"laboratory",)"
           R"("display":"Laboratory"}]}],)"sv;
    out += coded.code;
    if (HasPatient(result)) {
        out += R"(,"subject":{"reference":")"sv;
        out += patientUuid;
        out += '"';
        out += parts.subjectIdentifier;
        AppendJsonString(out, result.patientId);
        out += "}}";
    }
    if (std::optional<CalendarDateTime> measured = ParseStoredDateTime(result.date, result.time)) {
        out += R"(,"effectiveDateTime":")"sv;
        AppendFhirTime(out, *measured, context.utcOffset);
        out += '"';
    }
    out += parts.issued;
    out += parts.performer;
    out += coded.value;
    out += R"(,"device":{)"sv;
    if (!result.deviceModel.empty()) {
        out += R"("identifier":{"system":)"sv;
        AppendJsonString(out, kDeviceSystem);
        out += R"(,"value":)"sv;
        AppendJsonString(out, result.deviceModel);
        out += "},";
    }
    out += result.kind == ResultKind::HbA1c ? R"("display":"HbA1c point-of-care meter"})"sv
                                            : R"("display":"Blood glucose point-of-care meter"})"sv;
    // A result's first message creates its Observation unless one is there already (a
    // retry); every later one updates the Observation the result's identifier finds, which
    // a result posted as wrong-patient has just given up, so the result is created anew.
    out += result.followUpId.empty() ? parts.observationRequest : parts.observationUpdate;
    AppendSearchValue(out, key);
    out += "\"}}";
}

} // namespace

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

Status WriteFhirBundle(const ResultWalk& walk, const MessageContext& context,
                       const TextSink& sink) {
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
    std::string patientUuid;
    const bool read = walk(
        [&](const StoredResult& result) {
            if (!any) {
                json.Key("entry").BeginArray();
                any = true;
            }
            patientUuid.clear();
            if (HasPatient(result)) {
                parts.patientUuid.AppendUrn(patientUuid, result.patientId);
                if (patients.insert(result.patientId).second) {
                    WritePatient(json, result, patientUuid, parts);
                }
            }
            WriteObservation(json, result, patientUuid, context, parts);
            return flush();
        },
        ResultParts::All);
    if (any) {
        json.EndArray();
    }
    json.EndObject();
    block += '\n';
    return FinishWalkedFile(written, read, sink, block);
}

} // namespace qa::interop
