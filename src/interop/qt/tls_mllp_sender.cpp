#include "interop/qt/tls_mllp_sender.h"

#include "interop/qt/site_trust.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>

#include <algorithm>

namespace qa::interop {

namespace {

int MsLeft(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

// The site's CA besides the system's, and our certificate when one is set; false with
// a failure when a file the settings name cannot be used.
Status Configure(QSslSocket& socket, const InterfaceSettings& security) {
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    if (Status trusted = ApplySiteTrust(tls, security); !trusted) {
        return trusted;
    }
    tls.setPeerVerifyMode(QSslSocket::VerifyPeer);
    socket.setSslConfiguration(tls);
    return {};
}

} // namespace

TlsMllpSender::TlsMllpSender(MllpEndpoint endpoint, std::chrono::milliseconds timeout,
                             InterfaceSettings security)
    : MllpSender(std::move(endpoint), timeout), security_(std::move(security)) {}

TlsMllpSender::~TlsMllpSender() {
    TlsMllpSender::Disconnect();
}

void TlsMllpSender::Disconnect() {
    if (socket_) {
        socket_->abort();
        socket_.reset();
    }
    ClearBuffer();
}

Status TlsMllpSender::Connect(Clock::time_point deadline) {
    if (!QSslSocket::supportsSsl()) {
        return Message(MessageId::LinkNoTls, {Where()});
    }
    auto socket = std::make_unique<QSslSocket>();
    if (Status configured = Configure(*socket, security_); !configured) {
        return configured;
    }
    socket->connectToHostEncrypted(QString::fromStdString(Endpoint().host),
                                   static_cast<quint16>(Endpoint().port));
    if (!socket->waitForEncrypted(MsLeft(deadline))) {
        QStringList why;
        for (const QSslError& error : socket->sslHandshakeErrors()) {
            why << error.errorString();
        }
        if (why.isEmpty()) {
            why << socket->errorString();
        }
        return Message(MessageId::LinkTlsFailed,
                       {Where(), why.join(QStringLiteral("; ")).toStdString()});
    }
    socket_ = std::move(socket);
    return {};
}

bool TlsMllpSender::Connected() const {
    return socket_ != nullptr;
}

bool TlsMllpSender::PeerClosed() const {
    // Without an event loop the socket learns of a close only while waiting on it.
    socket_->waitForReadyRead(0);
    return socket_->state() != QAbstractSocket::ConnectedState && socket_->bytesAvailable() == 0;
}

Status TlsMllpSender::WriteAll(std::string_view data, Clock::time_point deadline) {
    if (socket_->write(data.data(), static_cast<qint64>(data.size())) !=
        static_cast<qint64>(data.size())) {
        return Message(MessageId::LinkLostSending, {Where()});
    }
    while (socket_->encryptedBytesToWrite() > 0 || socket_->bytesToWrite() > 0) {
        if (!socket_->waitForBytesWritten(MsLeft(deadline))) {
            return Message(MessageId::LinkLostSending, {Where()});
        }
    }
    return {};
}

MllpSender::ReadResult TlsMllpSender::ReadSome(std::string& to, Clock::time_point deadline) {
    if (socket_->bytesAvailable() == 0 && !socket_->waitForReadyRead(MsLeft(deadline))) {
        if (socket_->state() != QAbstractSocket::ConnectedState) {
            return ReadResult::Closed;
        }
        return ReadResult::TimedOut;
    }
    const QByteArray bytes = socket_->readAll();
    to.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return ReadResult::Read;
}

std::unique_ptr<MllpSender> MakeMllpSender(const MllpEndpoint& endpoint,
                                           std::chrono::milliseconds timeout,
                                           const InterfaceSettings& security) {
    if (endpoint.tls) {
        return std::make_unique<TlsMllpSender>(endpoint, timeout, security);
    }
    return std::make_unique<MllpSender>(endpoint, timeout);
}

} // namespace qa::interop
