#include "interop/qt/fhir_sender.h"

#include "interop/fhir_bundle.h"
#include "interop/qt/site_trust.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <optional>

namespace qa::interop {

namespace {

// A transaction-response for a hundred results is a few kilobytes; a peer that streams far
// more is not answering.
constexpr qint64 kMaxAnswerBytes = 16 << 20;

const QByteArray kFhirJson = QByteArrayLiteral("application/fhir+json");

QJsonDocument ParseJson(std::string_view text) {
    if (text.size() > static_cast<std::size_t>(kMaxAnswerBytes)) {
        return {};
    }
    QJsonParseError error;
    QJsonDocument document = QJsonDocument::fromJson(
        QByteArray::fromRawData(text.data(), static_cast<qsizetype>(text.size())), &error);
    return error.error == QJsonParseError::NoError ? document : QJsonDocument();
}

// The HTTP status code that opens an entry's response.status ("201 Created"); 0 when
// there is none.
int EntryStatus(const QJsonObject& entry) {
    const QString status = entry.value(QStringLiteral("response"))
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

// What an OperationOutcome says: its issues' diagnostics or details, one after the other.
std::string OutcomeText(const QJsonObject& outcome) {
    if (outcome.value(QStringLiteral("resourceType")).toString() !=
        QStringLiteral("OperationOutcome")) {
        return {};
    }
    QStringList texts;
    for (const QJsonValue& issue : outcome.value(QStringLiteral("issue")).toArray()) {
        const QJsonObject object = issue.toObject();
        QString text = object.value(QStringLiteral("diagnostics")).toString().trimmed();
        if (text.isEmpty()) {
            text = object.value(QStringLiteral("details"))
                       .toObject()
                       .value(QStringLiteral("text"))
                       .toString()
                       .trimmed();
        }
        if (text.isEmpty()) {
            text = object.value(QStringLiteral("code")).toString().trimmed();
        }
        if (!text.isEmpty()) {
            texts << text;
        }
    }
    return texts.join(QStringLiteral("; ")).toStdString();
}

// Why an entry was refused: its OperationOutcome, else its status line.
std::string EntryReason(const QJsonObject& entry) {
    const QJsonObject response = entry.value(QStringLiteral("response")).toObject();
    std::string reason = OutcomeText(response.value(QStringLiteral("outcome")).toObject());
    if (reason.empty()) {
        reason = OutcomeText(entry.value(QStringLiteral("resource")).toObject());
    }
    if (reason.empty()) {
        reason = response.value(QStringLiteral("status")).toString().trimmed().toStdString();
    }
    return reason;
}

FhirVerdict VerdictOf(int status, const QJsonObject& entry) {
    if (status >= 200 && status < 300) {
        return {FhirVerdict::State::Created, {}};
    }
    if (status >= 400 && status < 500) {
        return {FhirVerdict::State::Refused, EntryReason(entry)};
    }
    return {};
}

// The control ID an Observation of our Bundles carries: its one identifier, whatever
// system the site gave the results.
QString ControlIdOf(const QJsonObject& resource) {
    return resource.value(QStringLiteral("identifier"))
        .toArray()
        .at(0)
        .toObject()
        .value(QStringLiteral("value"))
        .toString();
}

// An identifier as "identifier|system|value"; empty without a value.
QString IdentifierKey(const QJsonObject& identifier) {
    const QString value = identifier.value(QStringLiteral("value")).toString();
    if (value.isEmpty()) {
        return {};
    }
    return QStringLiteral("identifier|") + identifier.value(QStringLiteral("system")).toString() +
           QLatin1Char('|') + value;
}

// "Patient/<id>" from an entry's response.location ("Patient/7/_history/1", or the same
// after the server's base URL); empty when it names no resource of that type.
QString ServerReference(const QJsonObject& responseEntry, const QString& type) {
    const QString location = responseEntry.value(QStringLiteral("response"))
                                 .toObject()
                                 .value(QStringLiteral("location"))
                                 .toString();
    const QStringList parts = location.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (qsizetype i = parts.size() - 2; i >= 0; --i) {
        if (parts.at(i) == type && parts.at(i + 1) != QStringLiteral("_history")) {
            return type + QLatin1Char('/') + parts.at(i + 1);
        }
    }
    return {};
}

// Whether a reference ("Patient/7", or the same after a base URL) names `server`.
bool SameReference(const QString& reference, const QString& server) {
    return reference == server || reference.endsWith(QLatin1Char('/') + server);
}

// Whether the resource carries the identifier exactly (system and value, case and all).
bool HasIdentifier(const QJsonObject& resource, const QJsonObject& identifier) {
    for (const QJsonValue& own : resource.value(QStringLiteral("identifier")).toArray()) {
        const QJsonObject object = own.toObject();
        if (object.value(QStringLiteral("system")) == identifier.value(QStringLiteral("system")) &&
            object.value(QStringLiteral("value")) == identifier.value(QStringLiteral("value"))) {
            return true;
        }
    }
    return false;
}

FhirReply NotAnswered(Message why) {
    FhirReply reply;
    reply.status = std::move(why);
    return reply;
}

} // namespace

FhirReply ReadTransactionResponse(std::string_view request, int httpStatus, std::string_view body) {
    const QJsonDocument answer = ParseJson(body);
    if (httpStatus < 200 || httpStatus >= 300) {
        std::string why = OutcomeText(answer.object());
        const std::string code = std::to_string(httpStatus);
        FhirReply reply =
            NotAnswered(why.empty() ? Message(MessageId::FhirHttpStatus, {code})
                                    : Message(MessageId::FhirHttpStatusBecause, {code, why}));
        reply.httpStatus = httpStatus;
        reply.reason = std::move(why);
        return reply;
    }
    const QJsonObject bundle = answer.object();
    const QString type = bundle.value(QStringLiteral("type")).toString();
    if (bundle.value(QStringLiteral("resourceType")).toString() != QStringLiteral("Bundle") ||
        (type != QStringLiteral("transaction-response") &&
         type != QStringLiteral("batch-response"))) {
        return NotAnswered(MessageId::FhirNotTransactionResponse);
    }
    const QJsonArray sent = ParseJson(request).object().value(QStringLiteral("entry")).toArray();
    const QJsonArray answered = bundle.value(QStringLiteral("entry")).toArray();
    if (answered.size() != sent.size()) {
        return NotAnswered(Message(MessageId::FhirEntryCount,
                                   {std::to_string(answered.size()), std::to_string(sent.size())}));
    }
    // The answer's entries follow the request's. Patients first: an Observation whose
    // Patient was refused is held with that reason, since the server either refused it too
    // or filed it under no patient; one whose Patient has no outcome stays pending.
    QHash<QString, FhirVerdict> patients;
    // The server's Patient ("Patient/<id>") of each Patient entry, by its fullUrl.
    QHash<QString, QString> serverPatients;
    FhirReply reply;
    for (qsizetype i = 0; i < sent.size(); ++i) {
        const QJsonObject entry = sent.at(i).toObject();
        const QJsonObject resource = entry.value(QStringLiteral("resource")).toObject();
        if (resource.value(QStringLiteral("resourceType")).toString() ==
            QStringLiteral("Patient")) {
            const QJsonObject response = answered.at(i).toObject();
            FhirVerdict verdict = VerdictOf(EntryStatus(response), response);
            if (verdict.state == FhirVerdict::State::Refused) {
                verdict.reason = "Patient: " + verdict.reason;
            }
            const QJsonObject ours =
                resource.value(QStringLiteral("identifier")).toArray().at(0).toObject();
            const QString server = ServerReference(response, QStringLiteral("Patient"));
            if (verdict.state == FhirVerdict::State::Created) {
                const QJsonObject found = response.value(QStringLiteral("resource")).toObject();
                if (!found.isEmpty() && !HasIdentifier(found, ours)) {
                    // Its search for our identifier found a Patient of another identifier
                    // (one differing only in case): our results would go to someone else.
                    verdict = {FhirVerdict::State::Refused,
                               "the FHIR server filed patient " +
                                   ours.value(QStringLiteral("value")).toString().toStdString() +
                                   " under another patient's record (" + server.toStdString() +
                                   ")"};
                } else if (!server.isEmpty()) {
                    reply.patients[ours.value(QStringLiteral("value")).toString().toStdString()] =
                        server.toStdString();
                }
            }
            if (const QString url = entry.value(QStringLiteral("fullUrl")).toString();
                !url.isEmpty() && !server.isEmpty()) {
                serverPatients[url] = server;
            }
            // Found again by the Observation's reference, or by its subject's identifier.
            const QString key = IdentifierKey(
                resource.value(QStringLiteral("identifier")).toArray().at(0).toObject());
            if (!key.isEmpty()) {
                patients[key] = verdict;
            }
            if (const QString url = entry.value(QStringLiteral("fullUrl")).toString();
                !url.isEmpty()) {
                patients[url] = std::move(verdict);
            }
        }
    }
    reply.answered = true;
    int open = 0;
    for (qsizetype i = 0; i < sent.size(); ++i) {
        const QJsonObject resource =
            sent.at(i).toObject().value(QStringLiteral("resource")).toObject();
        if (resource.value(QStringLiteral("resourceType")).toString() !=
            QStringLiteral("Observation")) {
            continue;
        }
        const QString id = ControlIdOf(resource);
        if (id.isEmpty()) {
            continue;
        }
        const QJsonObject response = answered.at(i).toObject();
        FhirVerdict verdict = VerdictOf(EntryStatus(response), response);
        const QJsonObject subject = resource.value(QStringLiteral("subject")).toObject();
        const QString reference = subject.value(QStringLiteral("reference")).toString();
        // Copied out rather than read through an iterator: GCC 12 warns falsely
        // (-Wnull-dereference) about QHash iterators in optimised builds.
        std::optional<FhirVerdict> patient;
        if (!reference.isEmpty() && patients.contains(reference)) {
            patient = patients.value(reference);
        } else if (const QString key =
                       IdentifierKey(subject.value(QStringLiteral("identifier")).toObject());
                   !key.isEmpty() && patients.contains(key)) {
            patient = patients.value(key);
        }
        if (verdict.state == FhirVerdict::State::Created && patient &&
            patient->state != FhirVerdict::State::Created) {
            verdict = *patient;
        }
        // Where the answer shows the Observation stored, it must name the Patient its
        // patient's entry was filed as: a reference the server left unresolved (a batch
        // resolves none between its entries) names no Patient at all.
        const QJsonObject stored = response.value(QStringLiteral("resource")).toObject();
        if (verdict.state == FhirVerdict::State::Created && !reference.isEmpty() &&
            !stored.isEmpty()) {
            const QString named = stored.value(QStringLiteral("subject"))
                                      .toObject()
                                      .value(QStringLiteral("reference"))
                                      .toString();
            const QString expected = serverPatients.value(reference);
            if (named.isEmpty() || (!expected.isEmpty() && !SameReference(named, expected))) {
                verdict = {FhirVerdict::State::Refused,
                           "the FHIR server stored the result under " +
                               (named.isEmpty() ? std::string("no patient") : named.toStdString()) +
                               ", not its patient's record"};
            }
        }
        open += verdict.state == FhirVerdict::State::Unanswered ? 1 : 0;
        reply.results[id.toStdString()] = std::move(verdict);
    }
    if (open > 0) {
        reply.status = Message(MessageId::FhirLeftOpen, {std::to_string(open)});
    }
    return reply;
}

FhirSender::FhirSender(std::string base, std::chrono::milliseconds timeout,
                       InterfaceSettings security)
    : base_(std::move(base)), timeout_(timeout), security_(std::move(security)) {}

FhirPosterFactory FhirSender::Factory(const InterfaceSettings& security) {
    return [security](const std::string& base, std::chrono::milliseconds timeout) {
        return std::make_unique<FhirSender>(base, timeout, security);
    };
}

namespace {

// The site's CA and our certificate for https; a failure when a file set in the settings
// cannot be used (then nothing is sent rather than sent without them).
Status ApplyTls(QNetworkRequest& request, const InterfaceSettings& security) {
    if (security.caFile.empty() && security.clientCertificate.empty()) {
        return {};
    }
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    if (Status trusted = ApplySiteTrust(tls, security); !trusted) {
        return trusted;
    }
    request.setSslConfiguration(tls);
    return {};
}

} // namespace

FhirReply FhirSender::Post(const std::string& bundle) {
    if (QCoreApplication::instance() == nullptr) {
        return NotAnswered(Message(MessageId::FhirNoEventLoop, {base_}));
    }
    QUrl url(QString::fromStdString(base_), QUrl::StrictMode);
    if (!url.isValid()) {
        return NotAnswered(Message(MessageId::FhirBaseUnusable, {base_}));
    }
    if (url.path().isEmpty()) {
        url.setPath(QStringLiteral("/"));
    }
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, kFhirJson);
    request.setRawHeader(QByteArrayLiteral("Accept"), kFhirJson);
    // The stored resources come back with the answer: what the server filed each result
    // under is checked, not assumed.
    request.setRawHeader(QByteArrayLiteral("Prefer"), QByteArrayLiteral("return=representation"));
    if (!security_.bearerToken.empty()) {
        request.setRawHeader(QByteArrayLiteral("Authorization"),
                             "Bearer " + QByteArray::fromStdString(security_.bearerToken));
    }
    if (Status trusted = ApplyTls(request, security_); !trusted) {
        return NotAnswered(trusted.error());
    }
    // A redirected POST would arrive as a GET, or at a server nobody set up.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    const std::unique_ptr<QNetworkReply> reply(
        manager.post(request, QByteArray(bundle.data(), static_cast<qsizetype>(bundle.size()))));
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    bool timedOut = false;
    bool tooLong = false;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    QObject::connect(reply.get(), &QNetworkReply::downloadProgress, &loop, [&](qint64 received) {
        if (received > kMaxAnswerBytes) {
            tooLong = true;
            reply->abort();
        }
    });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    timer.start(timeout_);
    if (!reply->isFinished()) {
        loop.exec();
    }
    timer.stop();
    if (timedOut) {
        return NotAnswered(Message(MessageId::FhirTimedOut, {base_}));
    }
    if (tooLong) {
        return NotAnswered(MessageId::FhirNotTransactionResponse);
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status == 0) {
        return NotAnswered(
            Message(MessageId::FhirUnreachable, {base_, reply->errorString().toStdString()}));
    }
    const QByteArray body = reply->readAll();
    return ReadTransactionResponse(bundle, status, std::string_view(body.constData(), body.size()));
}

} // namespace qa::interop
