#pragma once

#include <QString>

// A blocking player-side connection on a plain socket, for what QTcpSocket
// hides: it reports a connection reset as an ordinary close.
class CPlainConnection
{
public:
    // Connects from localAddress to port on 127.0.0.1; the kernel completes
    // the connection even before the server accepts it.
    CPlainConnection(const QString &localAddress, quint16 port);
    ~CPlainConnection();
    CPlainConnection(const CPlainConnection &) = delete;
    CPlainConnection &operator=(const CPlainConnection &) = delete;

    bool IsConnected() const { return m_bConnected; }
    // Reads until the server ends the connection; 0 for an end of file,
    // otherwise the errno that ended it (EAGAIN after a quiet time-out).
    int ReadToEnd(qint64 *pnReceived) const;

private:
    int m_hSocket = -1;
    bool m_bConnected = false;
};
