#pragma once

#include "interop/mllp_sender.h"
#include "store/interface_settings.h"

#include <memory>
#include <string>

class QSslSocket;

namespace qa::interop {

// MLLP over TLS (mllps://): the same framing and acknowledgements as MllpSender, on a
// QSslSocket used with its blocking calls, so it runs on the delivery thread or in the command
// line without an event loop. The receiver's certificate must be vouched for by the system's
// CAs or the site's CA file and name the host; the client certificate is presented when set.
class TlsMllpSender : public MllpSender {
public:
    TlsMllpSender(MllpEndpoint endpoint, std::chrono::milliseconds timeout,
                  InterfaceSettings security);
    ~TlsMllpSender() override;
    void Disconnect() override;

protected:
    Status Connect(Clock::time_point deadline) override;
    bool Connected() const override;
    bool PeerClosed() const override;
    Status WriteAll(std::string_view data, Clock::time_point deadline) override;
    ReadResult ReadSome(std::string& to, Clock::time_point deadline) override;

private:
    InterfaceSettings security_;
    std::unique_ptr<QSslSocket> socket_;
};

// The sender a destination needs: TLS for mllps://, plain TCP for mllp://.
std::unique_ptr<MllpSender> MakeMllpSender(const MllpEndpoint& endpoint,
                                           std::chrono::milliseconds timeout,
                                           const InterfaceSettings& security);

} // namespace qa::interop
