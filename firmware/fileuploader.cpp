#include "fileuploader.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QMutexLocker>

#include "firmwarelog.h"
#include "ownerlink.h"
#include "postedmessage.h"
#include "threadhandover.h"
#include "sendnotitication.h"
#include "uploadfile.h"

namespace {

const auto FILE_OPEN_FAIL = QStringLiteral("File open fail:");

QString SendFailure(int errorCode)
{
    return QStringLiteral("Server Socket failed to send: %1").arg(errorCode);
}

} // namespace

CFileUpLoader::CFileUpLoader(qintptr hAccepted, QObject *parent)
    : QThread(parent), m_hAccepted(hAccepted), m_nPeerAddress(PeerAddressOf(hAccepted))
{
    ++s_nLive;
    ThreadHandover::ReleaseAtEnd(this);
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

CFileUpLoader::~CFileUpLoader()
{
    // Deleted on another thread as soon as finished() is queued there, while
    // this thread may still be emitting it, with Qt reading this object to
    // queue each handler: that must be over before any part of it goes.
    wait();
    ThreadHandover::AcquireEnded(this);
    // Only when the thread never ran; otherwise run() handed the descriptor
    // to its socket, which closed it.
    if (m_hAccepted >= 0)
        ::close(static_cast<int>(m_hAccepted));
    --s_nLive;
}

void CFileUpLoader::SetSource(std::shared_ptr<COwnerLink> hDialogWnd,
                              std::shared_ptr<const CUploadFile> pFile)
{
    m_hDialogWnd = std::move(hDialogWnd);
    m_pSource = std::move(pFile);
}

void CFileUpLoader::SetStallTimeout(std::chrono::milliseconds timeout)
{
    m_stallTimeout = timeout;
}

void CFileUpLoader::SetStallLimit(std::chrono::milliseconds window, qint64 nMinProgress)
{
    m_stallTimeout = window;
    m_nMinProgress = nMinProgress;
}

// Nothing is read from disk here: the image was read whole when it was
// chosen, so a file swapped since (another image, a FIFO, a device) neither
// changes what the player receives nor blocks this thread.
bool CFileUpLoader::LoadFile()
{
    m_pFile = std::move(m_pSource);
    if (!m_pFile) {
        ReportFailure(FILE_OPEN_FAIL);
        return false;
    }
    if (m_pFile->Size() > 0)
        return true;
    m_pFile.reset();
    return false;
}

qint64 CFileUpLoader::PeerAddressOf(qintptr hSocket)
{
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    if (::getpeername(static_cast<int>(hSocket), reinterpret_cast<sockaddr *>(&peer), &length) !=
            0 ||
        peer.sin_family != AF_INET)
        return 0;
    return static_cast<qint64>(ntohl(peer.sin_addr.s_addr));
}

qint64 CFileUpLoader::ProgressOf(qint64 nSent, qint64 nTotal)
{
    return nTotal > 0 ? nSent * PROGRESS_COMPLETE / nTotal : 0;
}

int CFileUpLoader::LiveCount()
{
    return s_nLive;
}

void CFileUpLoader::Abort()
{
    QMutexLocker locker(&m_abortMutex);
    m_bAbortRequested = true;
    if (m_pSocket) {
        QMetaObject::invokeMethod(
            m_pSocket->Context(),
            ThreadHandover::Handed([pSocket = m_pSocket] { pSocket->Fail(ECANCELED); }),
            Qt::QueuedConnection);
    }
}

void CFileUpLoader::run()
{
    CSendNotitication socket(*this, m_hAccepted);
    m_hAccepted = -1;
    // A player must never take a closed connection for an empty file.
    if (!LoadFile()) {
        socket.Abort();
        return;
    }
    qCDebug(lcFirmware) << "sending" << m_pFile->Size() << "bytes of" << m_pFile->Path();
    {
        QMutexLocker locker(&m_abortMutex);
        if (m_bAbortRequested) {
            locker.unlock();
            socket.Fail(ECANCELED);
            return;
        }
        m_pSocket = &socket;
    }
    socket.Start(m_pFile->Data(), m_pFile->Size(), m_stallTimeout, m_nMinProgress);
    exec();
    QMutexLocker locker(&m_abortMutex);
    m_pSocket = nullptr;
}

void CFileUpLoader::OnAcknowledged(qint64 nAcknowledged)
{
    const qint64 nProgress = ProgressOf(nAcknowledged, m_pFile->Size());
    if (nProgress <= m_nReported)
        return;
    m_nReported = nProgress;
    if (m_hDialogWnd)
        m_hDialogWnd->Post(WM_UPLOAD_PROGRESS, nProgress, m_nPeerAddress);
}

void CFileUpLoader::OnFailed(int errorCode)
{
    m_pFile.reset();
    ReportFailure(SendFailure(errorCode));
    quit();
}

void CFileUpLoader::OnCompleted()
{
    m_pFile.reset();
    quit();
}

void CFileUpLoader::ReportFailure(const QString &text)
{
    qCDebug(lcFirmware) << "upload failed:" << text;
    if (m_hDialogWnd)
        m_hDialogWnd->Post(WM_UPLOAD_FAILED, 0, m_nPeerAddress, text);
}
