#include "updatelistener.h"

#include <algorithm>

#include <unistd.h>

#include <QHostAddress>
#include <QNetworkProxy>

#include "firmwarelog.h"
#include "ownerlink.h"

CUpdateListener::CUpdateListener(QObject *pDialog, FilePathSource filePath, QObject *parent)
    : QTcpServer(parent), m_pDialog(COwnerLink::Create(pDialog)),
      m_filePathSource(std::move(filePath))
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

void CUpdateListener::Close()
{
    close();
    for (const CWaitingConnection &connection : m_waiting)
        ::close(static_cast<int>(connection.hAccepted));
    m_waiting.clear();
}

void CUpdateListener::SetStallTimeout(std::chrono::milliseconds timeout)
{
    m_stallTimeout = timeout;
}

void CUpdateListener::SetMaxUploads(int nMaxUploads)
{
    m_nMaxUploads = std::max(1, nMaxUploads);
    UpdateAccepting();
}

// The file path is read here, at accept time: the owner may choose another
// file before the next player connects.
void CUpdateListener::incomingConnection(qintptr handle)
{
    if (m_waiting.size() >= MAX_WAITING) {
        ::close(static_cast<int>(handle));
        return;
    }
    m_waiting.push_back({handle, m_filePathSource ? m_filePathSource() : QString()});
    StartWaitingUploads();
}

void CUpdateListener::StartWaitingUploads()
{
    while (!m_waiting.empty() && m_nActive < m_nMaxUploads) {
        const CWaitingConnection connection = m_waiting.front();
        m_waiting.pop_front();
        if (StartUpload(connection))
            emit UploadStarted();
    }
    UpdateAccepting();
}

bool CUpdateListener::StartUpload(const CWaitingConnection &connection)
{
    auto *pUploader = new CFileUpLoader(connection.hAccepted);
    pUploader->SetSource(m_pDialog, connection.strFilePath);
    pUploader->SetStallTimeout(m_stallTimeout);
    connect(pUploader, &QThread::finished, this, &CUpdateListener::OnUploadEnded);
    pUploader->start();
    // A thread that could not be created never finishes; the connection is
    // not served and its descriptor goes with the uploader.
    if (!pUploader->isRunning() && !pUploader->isFinished()) {
        delete pUploader;
        return false;
    }
    ++m_nActive;
    return true;
}

void CUpdateListener::OnUploadEnded()
{
    --m_nActive;
    StartWaitingUploads();
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
