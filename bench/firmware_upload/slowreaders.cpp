#include "slowreaders.h"

#include <cerrno>
#include <chrono>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::chrono::milliseconds READ_INTERVAL{1000};
// How often a reader looks at the stop flag while it waits for its next read.
constexpr std::chrono::milliseconds STOP_POLL{50};

sockaddr_in Address(const QString &dotted, quint16 port)
{
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    ::inet_pton(AF_INET, dotted.toLatin1().constData(), &result.sin_addr);
    return result;
}

} // namespace

CSlowReaders::~CSlowReaders()
{
    Stop();
}

void CSlowReaders::Start(int nReaders, int nFirstHost, quint16 port)
{
    for (int i = 0; i < nReaders; ++i) {
        const QString address = QStringLiteral("127.0.0.%1").arg(nFirstHost + i);
        m_threads.emplace_back([this, address, port] { Read(address, port); });
    }
}

void CSlowReaders::Stop()
{
    m_bStop = true;
    for (std::thread &thread : m_threads)
        thread.join();
    m_threads.clear();
}

void CSlowReaders::Read(const QString &localAddress, quint16 port)
{
    const int hSocket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in local = Address(localAddress, 0);
    const sockaddr_in server = Address(QStringLiteral("127.0.0.1"), port);
    if (hSocket < 0 ||
        ::bind(hSocket, reinterpret_cast<const sockaddr *>(&local), sizeof(local)) != 0 ||
        ::connect(hSocket, reinterpret_cast<const sockaddr *>(&server), sizeof(server)) != 0) {
        if (hSocket >= 0)
            ::close(hSocket);
        return;
    }
    auto next = std::chrono::steady_clock::now();
    while (!m_bStop) {
        if (std::chrono::steady_clock::now() < next) {
            std::this_thread::sleep_for(STOP_POLL);
            continue;
        }
        next += READ_INTERVAL;
        char byte = 0;
        const ssize_t nRead = ::recv(hSocket, &byte, 1, MSG_DONTWAIT);
        if (nRead == 0 || (nRead < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
            break;
    }
    ::close(hSocket);
}
