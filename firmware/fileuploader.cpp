#include "fileuploader.h"

#include <new>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QFile>

#include "firmwarelog.h"
#include "ownerlink.h"
#include "postedmessage.h"
#include "sendnotitication.h"

namespace {

const auto FILE_OPEN_FAIL = QStringLiteral("File open fail:");

} // namespace

CFileUpLoader::CFileUpLoader(qintptr hAccepted, QObject *parent)
    : QThread(parent), m_hAccepted(hAccepted), m_nPeerAddress(PeerAddressOf(hAccepted))
{
    ++s_nLive;
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

CFileUpLoader::~CFileUpLoader()
{
    // Only when the thread never ran; otherwise run() handed the descriptor
    // to its socket, which closed it.
    if (m_hAccepted >= 0)
        ::close(static_cast<int>(m_hAccepted));
    --s_nLive;
}

void CFileUpLoader::SetSource(std::shared_ptr<COwnerLink> hDialogWnd, const QString &strFilePath)
{
    m_hDialogWnd = std::move(hDialogWnd);
    m_strFilePath = strFilePath;
}

void CFileUpLoader::SetStallTimeout(std::chrono::milliseconds timeout)
{
    m_stallTimeout = timeout;
}

bool CFileUpLoader::LoadFile()
{
    QFile file(m_strFilePath);
    if (!file.open(QIODevice::ReadOnly)) {
        ReportFailure(FILE_OPEN_FAIL);
        return false;
    }
    const qint64 nLength = file.size();
    if (nLength <= 0)
        return false;
    // Too large, no memory for it, or shorter on disk than it claims: the
    // player must never get a partial image, so all count as unreadable.
    if (nLength > MAX_FILE_LENGTH) {
        ReportFailure(FILE_OPEN_FAIL);
        return false;
    }
    m_pFileData.reset(new (std::nothrow) char[static_cast<size_t>(nLength)]);
    if (!m_pFileData || file.read(m_pFileData.get(), nLength) != nLength) {
        m_pFileData.reset();
        ReportFailure(FILE_OPEN_FAIL);
        return false;
    }
    m_nFileLength = nLength;
    return true;
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

void CFileUpLoader::run()
{
    CSendNotitication socket(*this, m_hAccepted);
    m_hAccepted = -1;
    if (!LoadFile())
        return;
    m_nLeft = m_nFileLength;
    qCDebug(lcFirmware) << "sending" << m_nFileLength << "bytes of" << m_strFilePath;
    socket.Start();
    exec();
}

void CFileUpLoader::OnSent(qint64 nBytes)
{
    m_nSent += nBytes;
    m_nLeft = m_nFileLength - m_nSent;
    if (m_hDialogWnd)
        m_hDialogWnd->Post(WM_UPLOAD_PROGRESS, ProgressOf(m_nSent, m_nFileLength), m_nPeerAddress);
}

void CFileUpLoader::ReportFailure(const QString &text)
{
    qCDebug(lcFirmware) << "upload failed:" << text;
    if (m_hDialogWnd)
        m_hDialogWnd->Post(WM_UPLOAD_FAILED, 0, m_nPeerAddress, text);
}
