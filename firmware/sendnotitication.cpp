#include "sendnotitication.h"

#include <array>
#include <cerrno>

#include <sys/socket.h>
#include <unistd.h>

#include <QObject>

namespace {

// The player's bytes are never looked at; they are only drained before the
// close, a bounded amount in small pieces.
constexpr qsizetype DISCARD_CHUNK = 4096;
// More than a socket's receive buffer holds; a player that keeps sending
// beyond this while we close gets a reset, which it has earned.
constexpr qint64 MAX_DISCARDED = 16 * 1024 * 1024;

} // namespace

CFileUpLoader::CSendNotitication::CSendNotitication(CFileUpLoader &uploader, qintptr hSocket)
    : m_uploader(uploader), m_hSocket(hSocket)
{
    m_stallTimer.setSingleShot(true);
    QObject::connect(&m_stallTimer, &QTimer::timeout, &m_stallTimer, [this] { OnStalled(); });
}

// A clean end only when there was nothing (left) to send: bytes still due
// must not look like the end of the file to the player.
CFileUpLoader::CSendNotitication::~CSendNotitication()
{
    if (m_uploader.m_nLeft > 0)
        Abort();
    else
        Close();
}

void CFileUpLoader::CSendNotitication::Start()
{
    m_pWriteNotifier = std::make_unique<QSocketNotifier>(m_hSocket, QSocketNotifier::Write);
    QObject::connect(m_pWriteNotifier.get(), &QSocketNotifier::activated, m_pWriteNotifier.get(),
                     [this] { OnReadyWrite(); });
    m_stallTimer.start(m_uploader.m_stallTimeout);
}

// Offers every byte still to send in each call and lets the kernel decide how
// many it takes; returns as soon as it would block, the next notification
// goes on from m_nSent.
void CFileUpLoader::CSendNotitication::OnReadyWrite()
{
    CFileUpLoader &up = m_uploader;
    while (up.m_nLeft > 0) {
        const ssize_t nSent = ::send(static_cast<int>(m_hSocket), up.m_pFileData.get() + up.m_nSent,
                                     static_cast<size_t>(up.m_nLeft), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (nSent > 0) {
            m_stallTimer.start(up.m_stallTimeout);
            up.OnSent(nSent);
        } else if (nSent < 0 && errno == EINTR) {
            continue;
        } else if (nSent < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            Fail(errno);
            return;
        } else {
            return;
        }
    }
    // The end of the stream goes first, so the player is not kept waiting
    // while a large copy is given back; the next player's copy is only read
    // once this one has seen the end, so the two barely overlap.
    Close();
    up.m_pFileData.reset();
    up.quit();
}

void CFileUpLoader::CSendNotitication::OnStalled()
{
    Fail(ETIMEDOUT);
}

void CFileUpLoader::CSendNotitication::Fail(int errorCode)
{
    m_uploader.m_pFileData.reset();
    Abort();
    m_uploader.ReportFailure(QStringLiteral("Server Socket failed to send: %1").arg(errorCode));
    m_uploader.quit();
}

// A shutdown puts the end of the stream behind the bytes already queued. The
// player's unread bytes (a request line, say) are discarded first: closing a
// socket with unread input makes the kernel reset the connection, and a reset
// can cost the player the tail of the file.
void CFileUpLoader::CSendNotitication::Close()
{
    if (m_hSocket < 0)
        return;
    ::shutdown(static_cast<int>(m_hSocket), SHUT_WR);
    DiscardReceived();
    Release();
}

void CFileUpLoader::CSendNotitication::Abort()
{
    if (m_hSocket < 0)
        return;
    const linger resetOnClose{1, 0};
    ::setsockopt(static_cast<int>(m_hSocket), SOL_SOCKET, SO_LINGER, &resetOnClose,
                 sizeof(resetOnClose));
    Release();
}

void CFileUpLoader::CSendNotitication::Release()
{
    m_pWriteNotifier.reset();
    m_stallTimer.stop();
    ::close(static_cast<int>(m_hSocket));
    m_hSocket = -1;
}

void CFileUpLoader::CSendNotitication::DiscardReceived()
{
    std::array<char, DISCARD_CHUNK> sink;
    for (qint64 nDiscarded = 0; nDiscarded < MAX_DISCARDED;) {
        const ssize_t nRead =
            ::recv(static_cast<int>(m_hSocket), sink.data(), sink.size(), MSG_DONTWAIT);
        if (nRead < 0 && errno == EINTR)
            continue;
        if (nRead <= 0)
            return;
        nDiscarded += nRead;
    }
}
