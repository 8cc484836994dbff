#include "interop/qt/site_trust.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslKey>

namespace qa::interop {

Status ApplySiteTrust(QSslConfiguration& tls, const InterfaceSettings& security) {
    if (!security.caFile.empty()) {
        const QList<QSslCertificate> authorities =
            QSslCertificate::fromPath(QString::fromStdString(security.caFile), QSsl::Pem);
        if (authorities.isEmpty()) {
            return Message(MessageId::TrustNoCaCertificate, {security.caFile});
        }
        QList<QSslCertificate> all = tls.caCertificates();
        all += authorities;
        tls.setCaCertificates(all);
    }
    if (!security.clientCertificate.empty()) {
        const QList<QSslCertificate> own = QSslCertificate::fromPath(
            QString::fromStdString(security.clientCertificate), QSsl::Pem);
        QFile keyFile(QString::fromStdString(security.clientKey.empty() ? security.clientCertificate
                                                                        : security.clientKey));
        if (own.isEmpty() || !keyFile.open(QIODevice::ReadOnly)) {
            return Message(MessageId::TrustClientUnreadable, {security.clientCertificate});
        }
        const QByteArray pem = keyFile.readAll();
        QSslKey key(pem, QSsl::Rsa, QSsl::Pem);
        if (key.isNull()) {
            key = QSslKey(pem, QSsl::Ec, QSsl::Pem);
        }
        if (key.isNull()) {
            return Message(MessageId::TrustKeyUnreadable, {keyFile.fileName().toStdString()});
        }
        tls.setLocalCertificate(own.first());
        tls.setPrivateKey(key);
    }
    return {};
}

} // namespace qa::interop
