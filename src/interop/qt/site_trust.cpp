#include "interop/qt/site_trust.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslKey>

namespace qa::interop {

bool ApplySiteTrust(QSslConfiguration& tls, const InterfaceSettings& security,
                    std::string& problem) {
    if (!security.caFile.empty()) {
        const QList<QSslCertificate> authorities =
            QSslCertificate::fromPath(QString::fromStdString(security.caFile), QSsl::Pem);
        if (authorities.isEmpty()) {
            problem = "the CA file holds no certificate: " + security.caFile;
            return false;
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
            problem =
                "the client certificate or its key cannot be read: " + security.clientCertificate;
            return false;
        }
        const QByteArray pem = keyFile.readAll();
        QSslKey key(pem, QSsl::Rsa, QSsl::Pem);
        if (key.isNull()) {
            key = QSslKey(pem, QSsl::Ec, QSsl::Pem);
        }
        if (key.isNull()) {
            problem = "the client key cannot be read: " + keyFile.fileName().toStdString();
            return false;
        }
        tls.setLocalCertificate(own.first());
        tls.setPrivateKey(key);
    }
    return true;
}

} // namespace qa::interop
