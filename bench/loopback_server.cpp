#include "loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qa::bench {

LoopbackServer::LoopbackServer(Answer answer) : answer_(std::move(answer)) {
    listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int on = 1;
    ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(listen_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    ::listen(listen_, 16);
    thread_ = std::thread([this] { Serve(); });
}

LoopbackServer::~LoopbackServer() {
    stop_ = true;
    ::shutdown(listen_, SHUT_RDWR);
    ::close(listen_);
    thread_.join();
}

void LoopbackServer::Serve() {
    while (!stop_) {
        int client = ::accept(listen_, nullptr, nullptr);
        if (client < 0) {
            return;
        }
        std::string buffer;
        char chunk[65536];
        for (ssize_t n; (n = ::recv(client, chunk, sizeof chunk, 0)) > 0;) {
            buffer.append(chunk, static_cast<std::size_t>(n));
            const std::string reply = answer_(buffer);
            if (!reply.empty()) {
                ::send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
            }
        }
        ::close(client);
    }
}

} // namespace qa::bench
