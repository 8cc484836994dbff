// A FHIR server's answer of any content to a Bundle of three results (two patients, one
// result without a patient): no crash, and the outcome read agrees with the answer. Only a
// 2xx answer with one entry per entry sent is an answer; then every result has exactly one
// verdict, a refusal says why, a result whose Patient entry was refused is not taken as
// created, and the reply names a failure exactly when some result stays pending.
#include "fuzz_common.h"
#include "interop/fhir_bundle.h"
#include "interop/qt/fhir_sender.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace qa;
using namespace qa::interop;
using qa::fuzz::Broken;

namespace {

struct Sent {
    std::string bundle;
    QJsonArray entries;
    std::set<std::string> controlIds;
    // Control ID of each Observation entry, by position; the position of its patient's entry.
    std::map<int, std::string> observations;
    std::map<int, int> patientOf;
};

Sent MakeRequest() {
    MessageContext context;
    context.operatorId = "0001";
    context.link.sendingFacility = "CLINIC";
    context.composed = {2026, 12, 8, 12, 0, 0};
    context.utcOffset = [](const CalendarDateTime&) { return 540; };
    std::vector<StoredResult> results(3);
    results[0] = {ResultKind::HbA1c, "20261201", "0930", "6.4", "P-1", "KIM",
                  "19700101",        "",         "",     ""};
    results[1] = {ResultKind::Glucose, "20261201", "0931", "112", "", "", "", "", "", ""};
    results[2] = {ResultKind::HbA1c, "20261202", "1015", "7.9", "P-2", "LEE",
                  "19800202",        "",         "",     ""};
    Sent sent;
    sent.bundle = ComposeFhirBundle(results, context);
    sent.entries = QJsonDocument::fromJson(QByteArray::fromStdString(sent.bundle))
                       .object()
                       .value(QStringLiteral("entry"))
                       .toArray();
    std::map<QString, int> patients;
    for (int i = 0; i < sent.entries.size(); ++i) {
        const QJsonObject entry = sent.entries.at(i).toObject();
        const QJsonObject resource = entry.value(QStringLiteral("resource")).toObject();
        const QString type = resource.value(QStringLiteral("resourceType")).toString();
        if (type == QStringLiteral("Patient")) {
            patients[entry.value(QStringLiteral("fullUrl")).toString()] = i;
        } else if (type == QStringLiteral("Observation")) {
            // Our Observations carry one identifier: their control ID.
            const QJsonArray ids = resource.value(QStringLiteral("identifier")).toArray();
            if (!ids.isEmpty()) {
                sent.observations[i] =
                    ids.at(0).toObject().value(QStringLiteral("value")).toString().toStdString();
                sent.controlIds.insert(sent.observations[i]);
            }
            const QString reference = resource.value(QStringLiteral("subject"))
                                          .toObject()
                                          .value(QStringLiteral("reference"))
                                          .toString();
            if (patients.count(reference) != 0) {
                sent.patientOf[i] = patients[reference];
            }
        }
    }
    if (sent.controlIds.size() != 3 || sent.patientOf.size() != 2) {
        Broken("the request Bundle is not the one the corpus was written for");
    }
    return sent;
}

// The status code an answer entry opens with, read the plain way; 0 for none.
int StatusOf(const QJsonValue& entry) {
    const QString status = entry.toObject()
                               .value(QStringLiteral("response"))
                               .toObject()
                               .value(QStringLiteral("status"))
                               .toString()
                               .trimmed();
    if (status.size() < 3) {
        return 0;
    }
    bool ok = false;
    const int code = status.left(3).toInt(&ok);
    const bool alone = status.size() == 3 || status.at(3).isSpace();
    return ok && alone && code >= 100 && code <= 599 ? code : 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Sent sent = MakeRequest();
    if (size < 1) {
        return 0;
    }
    static const int kStatuses[] = {200, 200, 200, 201, 400, 404, 500, 302};
    const int httpStatus = kStatuses[data[0] % 8];
    const std::string_view body(reinterpret_cast<const char*>(data + 1), size - 1);
    const FhirReply reply = ReadTransactionResponse(sent.bundle, httpStatus, body);

    if (!reply.answered) {
        if (!reply.results.empty() || reply.status.ok()) {
            Broken("an answer that is none gave verdicts or no reason");
        }
        return 0;
    }
    if (httpStatus >= 300) {
        Broken("an HTTP error status was read as an answer");
    }
    const QJsonArray answered =
        QJsonDocument::fromJson(QByteArray(body.data(), static_cast<qsizetype>(body.size())))
            .object()
            .value(QStringLiteral("entry"))
            .toArray();
    if (answered.size() != sent.entries.size()) {
        Broken("an answer with another number of entries than sent was read");
    }
    if (reply.results.size() != sent.controlIds.size()) {
        Broken("not every result sent has exactly one verdict");
    }
    bool pending = false;
    for (const auto& [position, id] : sent.observations) {
        const auto found = reply.results.find(id);
        if (found == reply.results.end()) {
            Broken("a result sent has no verdict");
        }
        const FhirVerdict& verdict = found->second;
        switch (verdict.state) {
        case FhirVerdict::State::Created:
            if (!verdict.reason.empty()) {
                Broken("a created result carries a reason");
            }
            break;
        case FhirVerdict::State::Refused:
            if (verdict.reason.empty()) {
                Broken("a refused result says not why");
            }
            break;
        case FhirVerdict::State::Unanswered:
            pending = true;
            break;
        }
        const int own = StatusOf(answered.at(position));
        if (verdict.state == FhirVerdict::State::Created && (own < 200 || own >= 300)) {
            Broken("a result was taken as created without a 2xx entry");
        }
        if (const auto patient = sent.patientOf.find(position); patient != sent.patientOf.end()) {
            const int patientStatus = StatusOf(answered.at(patient->second));
            if (verdict.state == FhirVerdict::State::Created &&
                (patientStatus < 200 || patientStatus >= 300)) {
                Broken("a result was taken as created though its Patient was not");
            }
        }
    }
    if (pending == reply.status.ok()) {
        Broken("the failure reported does not match the pending results");
    }
    return 0;
}
