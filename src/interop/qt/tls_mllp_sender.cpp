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
// `problem` when a file the settings name cannot be used.
bool Configure(QSslSocket& socket, const InterfaceSettings& security, std::string& problem) {
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    if (!ApplySiteTrust(tls, security, problem)) {
        return false;
    }
    tls.setPeerVerifyMode(QSslSocket::VerifyPeer);
    socket.setSslConfiguration(tls);
    return true;
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

bool TlsMllpSender::Connect(Clock::time_point deadline, std::string& problem) {
    const std::string where = Endpoint().host + ":" + std::to_string(Endpoint().port);
    if (!QSslSocket::supportsSsl()) {
        problem = "no TLS library is at hand for " + where;
        return false;
    }
    auto socket = std::make_unique<QSslSocket>();
    if (!Configure(*socket, security_, problem)) {
        return false;
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
        problem =
            "cannot open TLS to " + where + ": " + why.join(QStringLiteral("; ")).toStdString();
        return false;
    }
    socket_ = std::move(socket);
    return true;
}

bool TlsMllpSender::Connected() const {
    return socket_ != nullptr;
}

bool TlsMllpSender::PeerClosed() const {
    // Without an event loop the socket learns of a close only while waiting on it.
    socket_->waitForReadyRead(0);
    return socket_->state() != QAbstractSocket::ConnectedState && socket_->bytesAvailable() == 0;
}

bool TlsMllpSender::WriteAll(std::string_view data, Clock::time_point deadline) {
    if (socket_->write(data.data(), static_cast<qint64>(data.size())) !=
        static_cast<qint64>(data.size())) {
        return false;
    }
    while (socket_->encryptedBytesToWrite() > 0 || socket_->bytesToWrite() > 0) {
        if (!socket_->waitForBytesWritten(MsLeft(deadline))) {
            return false;
        }
    }
    return true;
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
