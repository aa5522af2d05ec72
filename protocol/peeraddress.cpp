#include "peeraddress.h"

#include <cstring>

#include <arpa/inet.h>
#include <netinet/in.h>

std::optional<quint32> CPeerAddress::Ipv4Of(qintptr socket)
{
    sockaddr_storage peer{};
    socklen_t length = sizeof(peer);
    // The C socket API takes the generic address type; sockaddr_storage is
    // large enough for every family and aligned for all of them.
    if (::getpeername(static_cast<int>(socket), reinterpret_cast<sockaddr *>(&peer), &length) != 0)
        return std::nullopt;
    return Ipv4Of(peer, length);
}

std::optional<quint32> CPeerAddress::Ipv4Of(const sockaddr_storage &address, socklen_t length)
{
    if (address.ss_family == AF_INET && length >= socklen_t(sizeof(sockaddr_in))) {
        sockaddr_in peer{};
        std::memcpy(&peer, &address, sizeof(peer));
        return ntohl(peer.sin_addr.s_addr);
    }
    if (address.ss_family == AF_INET6 && length >= socklen_t(sizeof(sockaddr_in6))) {
        sockaddr_in6 peer{};
        std::memcpy(&peer, &address, sizeof(peer));
        if (!IN6_IS_ADDR_V4MAPPED(&peer.sin6_addr))
            return std::nullopt;
        // The last four bytes of ::ffff:a.b.c.d are a.b.c.d in network order.
        constexpr int kMappedOffset = 12;
        quint32 mapped = 0;
        std::memcpy(&mapped, peer.sin6_addr.s6_addr + kMappedOffset, sizeof(mapped));
        return ntohl(mapped);
    }
    return std::nullopt;
}
