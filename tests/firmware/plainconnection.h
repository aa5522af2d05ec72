#pragma once

#include <QString>
#include <QtGlobal>

// A blocking player-side connection on a plain socket, for what QTcpSocket
// hides: it reports a connection reset as an ordinary close.
class CPlainConnection
{
public:
    // Connects from localAddress to port on 127.0.0.1; the kernel completes
    // the connection even before the server accepts it.
    // nReceiveBuffer > 0 shrinks the socket's receive buffer first, so that
    // the server can send only as fast as this side reads.
    CPlainConnection(const QString &localAddress, quint16 port, int nReceiveBuffer = 0);
    ~CPlainConnection();
    CPlainConnection(const CPlainConnection &) = delete;
    CPlainConnection &operator=(const CPlainConnection &) = delete;

    bool IsConnected() const { return m_bConnected; }
    // Reads until the server ends the connection; 0 for an end of file,
    // otherwise the errno that ended it (EAGAIN after a quiet time-out).
    int ReadToEnd(qint64 *pnReceived) const;
    // Reads at most nChunk bytes, then pauses, until the server ends the
    // connection (0 or its errno, as above) or nLimitMs have passed (ETIME).
    int ReadSlowly(qint64 nChunk, int nPauseMs, int nLimitMs, qint64 *pnReceived) const;

private:
    int m_hSocket = -1;
    bool m_bConnected = false;
};
