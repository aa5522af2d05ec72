#pragma once

#include <optional>

#include <sys/socket.h>

#include <QtGlobal>

// The IPv4 address at the far end of a connected socket, as the kernel saw
// it. An IPv6 socket reports an IPv4 peer as ::ffff:a.b.c.d; that is the same
// host and yields the same number, so a check made against the peer cannot
// be dodged by the listening socket's address family.
class CPeerAddress
{
public:
    // Host order; nothing when the peer cannot be told or is not IPv4.
    static std::optional<quint32> Ipv4Of(qintptr socket);
    // The same, for an address the socket API filled in.
    static std::optional<quint32> Ipv4Of(const sockaddr_storage &address, socklen_t length);
};
