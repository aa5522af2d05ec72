#include "updatelistener.h"

#include <algorithm>
#include <cerrno>

#include <sys/socket.h>
#include <unistd.h>

#include <QHostAddress>
#include <QNetworkProxy>

#include "firmwarelog.h"
#include "ownerlink.h"
#include "postedmessage.h"

CUpdateListener::CUpdateListener(QObject *pDialog, ImageSource image, QObject *parent)
    : QTcpServer(parent), m_pDialog(COwnerLink::Create(pDialog)), m_imageSource(std::move(image))
{
    setListenBacklogSize(LISTEN_BACKLOG);
    // Players fetch from this machine's own address on the LAN; a system
    // proxy setting must never move the listening socket elsewhere.
    setProxy(QNetworkProxy::NoProxy);
}

CUpdateListener::~CUpdateListener()
{
    Close();
    // The uploaders outlive us; from now on they finish without reporting.
    m_pDialog->Clear();
}

bool CUpdateListener::Listen()
{
    if (isListening())
        return true;
    if (listen(QHostAddress::AnyIPv4, m_nPort))
        return true;
    qCDebug(lcFirmware) << "cannot listen on port" << m_nPort << errorString();
    return false;
}

QString CUpdateListener::NotServedText()
{
    return QStringLiteral("firmware download not served: the server stopped before it began");
}

// The kernel has completed the handshakes of players still in its queue;
// closing the listening socket would reset them unseen, so they are taken
// and refused one by one, each with its report.
void CUpdateListener::Close()
{
    if (isListening()) {
        const int hListening = static_cast<int>(socketDescriptor());
        for (;;) {
            const int hAccepted = ::accept4(hListening, nullptr, nullptr, SOCK_CLOEXEC);
            if (hAccepted >= 0)
                Refuse(hAccepted);
            else if (errno != EINTR)
                break;
        }
    }
    close();
    RefuseWaiting();
}

void CUpdateListener::AbortUploads()
{
    for (CFileUpLoader *pUploader : m_running)
        pUploader->Abort();
}

void CUpdateListener::RefuseWaiting()
{
    for (const CWaitingConnection &connection : m_waiting)
        Refuse(connection.hAccepted);
    m_waiting.clear();
}

// A reset, so that the player cannot take the end of the connection for the
// end of an empty file.
void CUpdateListener::Refuse(qintptr hAccepted)
{
    const qint64 nPeer = CFileUpLoader::PeerAddressOf(hAccepted);
    const linger resetOnClose{1, 0};
    ::setsockopt(static_cast<int>(hAccepted), SOL_SOCKET, SO_LINGER, &resetOnClose,
                 sizeof(resetOnClose));
    ::close(static_cast<int>(hAccepted));
    m_pDialog->Post(WM_UPLOAD_FAILED, 0, nPeer, NotServedText());
}

void CUpdateListener::SetStallTimeout(std::chrono::milliseconds timeout)
{
    m_stallTimeout = timeout;
}

void CUpdateListener::SetStallLimit(std::chrono::milliseconds window, qint64 nMinProgress)
{
    m_stallTimeout = window;
    m_nMinProgress = nMinProgress;
}

void CUpdateListener::SetMaxUploads(int nMaxUploads)
{
    m_nMaxUploads = std::max(1, nMaxUploads);
    UpdateAccepting();
}

// The image is taken here, at accept time: the owner may choose another
// before the next player connects.
void CUpdateListener::incomingConnection(qintptr handle)
{
    if (m_waiting.size() >= MAX_WAITING) {
        Refuse(handle);
        return;
    }
    m_waiting.push_back({handle, m_imageSource ? m_imageSource() : nullptr});
    StartWaitingUploads();
}

void CUpdateListener::StartWaitingUploads()
{
    while (!m_waiting.empty() && m_nActive < m_nMaxUploads) {
        const CWaitingConnection connection = m_waiting.front();
        m_waiting.pop_front();
        const qint64 nPlayer = CFileUpLoader::PeerAddressOf(connection.hAccepted);
        if (StartUpload(connection))
            emit UploadStarted(nPlayer);
    }
    UpdateAccepting();
}

bool CUpdateListener::StartUpload(const CWaitingConnection &connection)
{
    auto *pUploader = new CFileUpLoader(connection.hAccepted);
    pUploader->SetSource(m_pDialog, connection.pFile);
    pUploader->SetStallLimit(m_stallTimeout, m_nMinProgress);
    connect(pUploader, &QThread::finished, this, [this, pUploader] { OnUploadEnded(pUploader); });
    pUploader->start();
    // A thread that could not be created never finishes; the connection is
    // not served and its descriptor goes with the uploader.
    if (!pUploader->isRunning() && !pUploader->isFinished()) {
        delete pUploader;
        return false;
    }
    ++m_nActive;
    m_running.insert(pUploader);
    return true;
}

void CUpdateListener::OnUploadEnded(CFileUpLoader *pUploader)
{
    m_running.erase(pUploader);
    --m_nActive;
    if (isListening())
        StartWaitingUploads();
    if (m_nActive == 0 && m_waiting.empty())
        emit AllUploadsEnded();
}

// Pausing leaves further players in the kernel's accept queue instead of
// turning them away.
void CUpdateListener::UpdateAccepting()
{
    if (!isListening())
        return;
    if (m_nActive >= m_nMaxUploads)
        pauseAccepting();
    else
        resumeAccepting();
}
