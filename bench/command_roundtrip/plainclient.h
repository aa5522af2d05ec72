#pragma once

#include <QByteArray>

// The least a client can do for one exchange: connect, send the request,
// read until the player closes. The baseline the command channel is measured
// against.
class CPlainClient
{
public:
    // The reply, or an empty array when any step failed.
    static QByteArray Exchange(const char *address, quint16 port, const QByteArray &request);
};
