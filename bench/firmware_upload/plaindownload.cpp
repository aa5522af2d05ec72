#include "plaindownload.h"

#include <cerrno>
#include <memory>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <QElapsedTimer>

namespace {

// Large reads keep the downloader from being what limits the figure.
constexpr std::size_t READ_CHUNK = 1024 * 1024;

sockaddr_in Address(const char *dotted, quint16 port)
{
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    ::inet_pton(AF_INET, dotted, &result.sin_addr);
    return result;
}

bool Connect(int hSocket, const QString &localAddress, quint16 port, int timeoutMs)
{
    const timeval timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    ::setsockopt(hSocket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
    const sockaddr_in local = Address(localAddress.toLatin1().constData(), 0);
    const sockaddr_in server = Address("127.0.0.1", port);
    return ::bind(hSocket, reinterpret_cast<const sockaddr *>(&local), sizeof(local)) == 0 &&
           ::connect(hSocket, reinterpret_cast<const sockaddr *>(&server), sizeof(server)) == 0;
}

} // namespace

CDownloadResult DownloadOnce(const QString &localAddress, quint16 port, int timeoutMs)
{
    CDownloadResult result;
    const int hSocket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (hSocket < 0)
        return result;
    const auto buffer = std::make_unique<char[]>(READ_CHUNK);
    QElapsedTimer clock;
    const bool bConnected = Connect(hSocket, localAddress, port, timeoutMs);
    ssize_t nRead = -1;
    while (bConnected && (nRead = ::recv(hSocket, buffer.get(), READ_CHUNK, 0)) != 0) {
        if (nRead < 0 && errno == EINTR)
            continue;
        if (nRead < 0)
            break;
        if (clock.isValid())
            result.nTimedBytes += nRead;
        else
            clock.start();
        result.nBytes += nRead;
    }
    result.seconds = clock.isValid() ? static_cast<double>(clock.nsecsElapsed()) / 1e9 : 0;
    result.bOk = nRead == 0;
    ::close(hSocket);
    return result;
}
