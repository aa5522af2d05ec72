#include "connectionflood.h"

#include <cerrno>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

sockaddr_in Address(const QString &address, quint16 port)
{
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    ::inet_pton(AF_INET, address.toLatin1().constData(), &result.sin_addr);
    return result;
}

} // namespace

int CConnectionFlood::Open(const QString &from, const QString &to, quint16 port, int count)
{
    const sockaddr_in local = Address(from, 0);
    const sockaddr_in remote = Address(to, port);
    int opened = 0;
    for (int i = 0; i < count; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            break;
        // The C socket API takes the generic address type.
        const auto *localAddress = reinterpret_cast<const sockaddr *>(&local);
        const auto *remoteAddress = reinterpret_cast<const sockaddr *>(&remote);
        if (::bind(fd, localAddress, sizeof(local)) != 0 ||
            (::connect(fd, remoteAddress, sizeof(remote)) != 0 && errno != EINPROGRESS)) {
            ::close(fd);
            continue;
        }
        m_sockets.push_back(fd);
        ++opened;
    }
    return opened;
}

CConnectionFlood::~CConnectionFlood()
{
    for (const int fd : m_sockets)
        ::close(fd);
}
