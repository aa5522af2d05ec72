#include "commandsocket.h"

#include <cerrno>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "ipv4text.h"

namespace {

// Only the plain dotted form names a player. Anything else would go to the
// resolver, whose wait no deadline of ours bounds, and would make one text
// name whatever a name server says.
bool ToAddress(const QString &address, in_addr &out)
{
    const std::optional<quint32> number = CIpv4Text::ToNumber(address);
    if (!number)
        return false;
    out.s_addr = htonl(*number);
    return true;
}

int RemainingMs(const QDeadlineTimer &deadline)
{
    return static_cast<int>(deadline.remainingTime());
}

} // namespace

CCommandSocket::~CCommandSocket()
{
    Close();
}

void CCommandSocket::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

CCommandSocket::Result CCommandSocket::Wait(short events, const QDeadlineTimer &deadline) const
{
    pollfd entry{m_fd, events, 0};
    for (;;) {
        const int ready = ::poll(&entry, 1, RemainingMs(deadline));
        if (ready > 0)
            return Result::Done;
        if (ready == 0)
            return Result::TimedOut;
        if (errno != EINTR)
            return Result::Failed;
    }
}

CCommandSocket::Result CCommandSocket::Connect(const QString &address, quint16 port, int timeoutMs)
{
    Close();
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    if (!ToAddress(address, peer.sin_addr))
        return Result::Failed;
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_fd < 0)
        return Result::NoSocket;

    const QDeadlineTimer deadline(timeoutMs);
    if (::connect(m_fd, reinterpret_cast<sockaddr *>(&peer), sizeof peer) != 0) {
        if (errno != EINPROGRESS)
            return Result::Failed;
        const Result waited = Wait(POLLOUT, deadline);
        if (waited != Result::Done)
            return waited;
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
            return Result::Failed;
    }
    return Result::Done;
}

CCommandSocket::Result CCommandSocket::SendAll(const QByteArray &data,
                                               const QDeadlineTimer &deadline)
{
    qsizetype sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(m_fd, data.constData() + sent,
                                 static_cast<size_t>(data.size() - sent), MSG_NOSIGNAL);
        if (n > 0) {
            sent += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return Result::Failed;
        const Result waited = Wait(POLLOUT, deadline);
        if (waited != Result::Done)
            return waited;
    }
    return Result::Done;
}

CCommandSocket::Result CCommandSocket::Receive(QByteArray &out, qint64 maxBytes,
                                               const QDeadlineTimer &deadline)
{
    const qsizetype start = out.size();
    out.resize(start + maxBytes);
    for (;;) {
        const ssize_t n = ::recv(m_fd, out.data() + start, static_cast<size_t>(maxBytes), 0);
        if (n > 0) {
            out.resize(start + n);
            return Result::Done;
        }
        if (n == 0 || errno == ECONNRESET) {
            // A reset ends the reply just as a close does; what arrived
            // before it is judged like any other reply.
            out.resize(start);
            return Result::Closed;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            out.resize(start);
            return Result::Failed;
        }
        const Result waited = Wait(POLLIN, deadline);
        if (waited != Result::Done) {
            out.resize(start);
            return waited;
        }
    }
}
