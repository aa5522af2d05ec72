#include "plainconnection.h"

#include <array>
#include <chrono>
#include <thread>
#include <cerrno>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <QDeadlineTimer>

namespace {

constexpr std::size_t READ_CHUNK = 64 * 1024;
// Bounds every read, so a server that goes quiet cannot hang a test.
constexpr time_t READ_TIMEOUT_S = 10;

sockaddr_in LoopbackAddress(const QString &address, quint16 port)
{
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    ::inet_pton(AF_INET, address.toLatin1().constData(), &result.sin_addr);
    return result;
}

} // namespace

CPlainConnection::CPlainConnection(const QString &localAddress, quint16 port, int nReceiveBuffer)
    : m_hSocket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
{
    if (m_hSocket < 0)
        return;
    if (nReceiveBuffer > 0)
        ::setsockopt(m_hSocket, SOL_SOCKET, SO_RCVBUF, &nReceiveBuffer, sizeof(nReceiveBuffer));
    const timeval timeout{READ_TIMEOUT_S, 0};
    ::setsockopt(m_hSocket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
    const sockaddr_in local = LoopbackAddress(localAddress, 0);
    const sockaddr_in server = LoopbackAddress(QStringLiteral("127.0.0.1"), port);
    m_bConnected =
        ::bind(m_hSocket, reinterpret_cast<const sockaddr *>(&local), sizeof(local)) == 0 &&
        ::connect(m_hSocket, reinterpret_cast<const sockaddr *>(&server), sizeof(server)) == 0;
}

CPlainConnection::~CPlainConnection()
{
    if (m_hSocket >= 0)
        ::close(m_hSocket);
}

int CPlainConnection::ReadToEnd(qint64 *pnReceived) const
{
    std::array<char, READ_CHUNK> buffer;
    for (;;) {
        const ssize_t nRead = ::recv(m_hSocket, buffer.data(), buffer.size(), 0);
        if (nRead == 0)
            return 0;
        if (nRead < 0 && errno != EINTR)
            return errno;
        if (nRead > 0)
            *pnReceived += nRead;
    }
}

int CPlainConnection::ReadSlowly(qint64 nChunk, int nPauseMs, int nLimitMs,
                                 qint64 *pnReceived) const
{
    std::array<char, READ_CHUNK> buffer;
    const QDeadlineTimer limit(nLimitMs);
    while (!limit.hasExpired()) {
        const size_t nWanted = std::min(buffer.size(), static_cast<size_t>(nChunk));
        const ssize_t nRead = ::recv(m_hSocket, buffer.data(), nWanted, 0);
        if (nRead == 0)
            return 0;
        if (nRead < 0 && errno != EINTR)
            return errno;
        if (nRead > 0)
            *pnReceived += nRead;
        std::this_thread::sleep_for(std::chrono::milliseconds(nPauseMs));
    }
    return ETIME;
}
