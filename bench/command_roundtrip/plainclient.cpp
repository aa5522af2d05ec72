#include "plainclient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kChunkSize = 40960;

bool SendAll(int fd, const QByteArray &data)
{
    qsizetype sent = 0;
    while (sent < data.size()) {
        const ssize_t n =
            ::send(fd, data.constData() + sent, static_cast<size_t>(data.size() - sent), 0);
        if (n <= 0)
            return false;
        sent += n;
    }
    return true;
}

} // namespace

QByteArray CPlainClient::Exchange(const char *address, quint16 port, const QByteArray &request)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return {};
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    ::inet_pton(AF_INET, address, &peer.sin_addr);
    QByteArray reply;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&peer), sizeof peer) == 0 &&
        SendAll(fd, request)) {
        char buffer[kChunkSize];
        for (;;) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            reply.append(buffer, n);
        }
    }
    ::close(fd);
    return reply;
}
