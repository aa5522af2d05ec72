#include "sendnotitication.h"

#include <algorithm>
#include <array>
#include <cerrno>

#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The player's bytes are never looked at; they are only drained before the
// close, a bounded amount in small pieces.
constexpr qsizetype DISCARD_CHUNK = 4096;
// More than a socket's receive buffer holds; a player that keeps sending
// beyond this while we close gets a reset, which it has earned.
constexpr qint64 MAX_DISCARDED = 16 * 1024 * 1024;
// Acknowledgements raise no socket event, so the send queue is looked at
// this often while bytes are in flight: fine enough for a progress bar, and
// the end of the upload is seen a moment after the last acknowledgement.
constexpr std::chrono::milliseconds ACK_POLL_INTERVAL{20};

} // namespace

CFileUpLoader::CSendNotitication::CSendNotitication(CFileUpLoader &uploader, qintptr hSocket)
    : m_uploader(uploader), m_hSocket(hSocket)
{
    m_ackTimer.setInterval(ACK_POLL_INTERVAL);
    QObject::connect(&m_ackTimer, &QTimer::timeout, &m_context, [this] { CheckAcknowledged(); });
    QObject::connect(&m_stallTimer, &QTimer::timeout, &m_context, [this] { OnStallWindowEnded(); });
}

// A clean end only when the player has everything: bytes still due must not
// look like the end of the file to it.
CFileUpLoader::CSendNotitication::~CSendNotitication()
{
    if (m_nAcknowledged < m_nSize)
        Abort();
    else
        Close();
}

void CFileUpLoader::CSendNotitication::Start(const char *pData, qint64 nSize,
                                             std::chrono::milliseconds stallWindow,
                                             qint64 nMinProgress)
{
    m_pData = pData;
    m_nSize = nSize;
    m_nMinProgress = nMinProgress;
    m_pWriteNotifier = std::make_unique<QSocketNotifier>(m_hSocket, QSocketNotifier::Write);
    QObject::connect(m_pWriteNotifier.get(), &QSocketNotifier::activated, &m_context,
                     [this] { OnReadyWrite(); });
    m_ackTimer.start();
    m_stallTimer.start(stallWindow);
}

// Offers every byte still to send in each call and lets the kernel decide how
// many it takes; returns as soon as it would block, the next notification
// goes on from the cursor.
void CFileUpLoader::CSendNotitication::OnReadyWrite()
{
    while (m_nWritten < m_nSize) {
        const ssize_t nSent =
            ::send(static_cast<int>(m_hSocket), m_pData + m_nWritten,
                   static_cast<size_t>(m_nSize - m_nWritten), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (nSent > 0) {
            m_nWritten += nSent;
        } else if (nSent < 0 && errno == EINTR) {
            continue;
        } else if (nSent < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            Fail(errno);
            return;
        } else {
            break;
        }
    }
    // Everything is queued; only acknowledgements are awaited now. The end of
    // the stream goes behind the last byte at once, so the player is not kept
    // waiting for our next look at the queue; it reaches the player only
    // after every byte, and a reset still overtakes it if we give up.
    if (m_nWritten == m_nSize && !m_bEndQueued) {
        m_pWriteNotifier->setEnabled(false);
        ::shutdown(static_cast<int>(m_hSocket), SHUT_WR);
        m_bEndQueued = true;
    }
    CheckAcknowledged();
}

// The queue counts the end of the stream as one more byte once it is queued;
// acknowledgements are cumulative, so one left means every data byte is in.
qint64 CFileUpLoader::CSendNotitication::Unacknowledged() const
{
    int nQueued = 0;
    if (::ioctl(static_cast<int>(m_hSocket), SIOCOUTQ, &nQueued) != 0)
        return -1;
    return m_bEndQueued ? std::max(nQueued - 1, 0) : nQueued;
}

void CFileUpLoader::CSendNotitication::CheckAcknowledged()
{
    if (m_bDone || m_hSocket < 0)
        return;
    const qint64 nQueued = Unacknowledged();
    if (nQueued < 0) {
        Fail(errno);
        return;
    }
    const qint64 nAcknowledged = std::clamp<qint64>(m_nWritten - nQueued, 0, m_nWritten);
    if (nAcknowledged > m_nAcknowledged) {
        m_nAcknowledged = nAcknowledged;
        m_uploader.OnAcknowledged(m_nAcknowledged);
    }
    if (m_nAcknowledged == m_nSize) {
        m_bDone = true;
        Close();
        m_uploader.OnCompleted();
    }
}

void CFileUpLoader::CSendNotitication::OnStallWindowEnded()
{
    CheckAcknowledged();
    if (m_bDone || m_hSocket < 0)
        return;
    const qint64 nDue = std::min(m_nMinProgress, m_nSize - m_nAcknowledgedAtWindowStart);
    if (m_nAcknowledged - m_nAcknowledgedAtWindowStart < nDue) {
        Fail(ETIMEDOUT);
        return;
    }
    m_nAcknowledgedAtWindowStart = m_nAcknowledged;
}

void CFileUpLoader::CSendNotitication::Fail(int errorCode)
{
    if (m_bDone)
        return;
    m_bDone = true;
    Abort();
    m_uploader.OnFailed(errorCode);
}

// A shutdown puts the end of the stream behind the bytes already queued. The
// player's unread bytes (a request line, say) are discarded first: closing a
// socket with unread input makes the kernel reset the connection, and a reset
// can cost the player the tail of the file.
void CFileUpLoader::CSendNotitication::Close()
{
    if (m_hSocket < 0)
        return;
    if (!m_bEndQueued)
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
    m_ackTimer.stop();
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
