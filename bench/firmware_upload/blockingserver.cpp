#include "blockingserver.h"

#include <cerrno>
#include <cstdio>
#include <memory>

#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <QFile>

#include "benchsettings.h"
#include "updatelistener.h"

namespace {

int Listen()
{
    const int hListen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(hListen, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(BenchSettings::BASELINE_PORT);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(hListen, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) != 0 ||
        ::listen(hListen, CUpdateListener::LISTEN_BACKLOG) != 0) {
        ::close(hListen);
        return -1;
    }
    return hListen;
}

// Accepts within the round's time-out, so a downloader that never comes
// cannot keep the process.
int Accept(int hListen)
{
    pollfd ready{hListen, POLLIN, 0};
    if (::poll(&ready, 1, BenchSettings::ROUND_TIMEOUT_MS) != 1)
        return -1;
    return ::accept4(hListen, nullptr, nullptr, SOCK_CLOEXEC);
}

bool ServeOnce(int hListen, const QString &strFilePath)
{
    const int hSocket = Accept(hListen);
    if (hSocket < 0)
        return false;
    const timeval timeout{BenchSettings::ROUND_TIMEOUT_MS / 1000, 0};
    ::setsockopt(hSocket, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));
    QFile file(strFilePath);
    const qint64 nLength = file.open(QIODevice::ReadOnly) ? file.size() : 0;
    const auto data = std::make_unique_for_overwrite<char[]>(static_cast<size_t>(nLength));
    const bool bLoaded = nLength > 0 && file.read(data.get(), nLength) == nLength;
    qint64 nSent = 0;
    while (bLoaded && nSent < nLength) {
        const ssize_t n =
            ::send(hSocket, data.get() + nSent, static_cast<size_t>(nLength - nSent), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        nSent += n;
    }
    ::shutdown(hSocket, SHUT_WR);
    ::close(hSocket);
    return bLoaded && nSent == nLength;
}

} // namespace

int RunBlockingServer(const QString &strFilePath, int nRounds)
{
    const int hListen = Listen();
    if (hListen < 0) {
        std::perror("cannot listen");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    bool bOk = true;
    for (int i = 0; i < nRounds && bOk; ++i)
        bOk = ServeOnce(hListen, strFilePath);
    ::close(hListen);

    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("maxrss_kib %ld\n", usage.ru_maxrss);
    return bOk ? 0 : 1;
}
