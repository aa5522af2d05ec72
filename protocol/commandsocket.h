#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

// A blocking TCP connection for one command exchange, with a deadline on
// every wait. Commands run one at a time on the caller's thread and need no
// event loop, so a plain socket does the job with the fewest system calls.
class CCommandSocket
{
public:
    enum class Result
    {
        Done,
        Closed,
        TimedOut,
        Failed,
        NoSocket
    };

    CCommandSocket() = default;
    ~CCommandSocket();
    CCommandSocket(const CCommandSocket &) = delete;
    CCommandSocket &operator=(const CCommandSocket &) = delete;

    // address must be a dotted IPv4 address; anything else fails at once,
    // without a name lookup.
    Result Connect(const QString &address, quint16 port, int timeoutMs);
    Result SendAll(const QByteArray &data, const QDeadlineTimer &deadline);
    // Appends up to maxBytes of what arrives; Closed once the peer has closed.
    Result Receive(QByteArray &out, qint64 maxBytes, const QDeadlineTimer &deadline);
    void Close();

private:
    Result Wait(short events, const QDeadlineTimer &deadline) const;

    int m_fd = -1;
};
