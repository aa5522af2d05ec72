#include "listensocket.h"

#include <utility>

#include <unistd.h>

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QNetworkProxy>

#include "devicediscover.h"
#include "notifyreceiver.h"

CListenSocket::CListenSocket(CDeviceDiscover *discover) : m_pDiscover(discover) {}

CListenSocket::~CListenSocket()
{
    Shutdown(CDeviceDiscover::RECEIVER_STOP_TIMEOUT_MS);
}

bool CListenSocket::Start(quint16 port, int backlog)
{
    // Players connect straight from the local network, never through a proxy.
    setProxy(QNetworkProxy::NoProxy);
    setListenBacklogSize(backlog);
    return listen(QHostAddress::AnyIPv4, port);
}

void CListenSocket::incomingConnection(qintptr handle)
{
    auto *receiver = new CNotifyReceiver(handle, m_pDiscover, m_pDiscover->ReceiverTimeout(),
                                         CDeviceDiscover::MAX_ANNOUNCEMENT_BYTES);
    connect(receiver, &QThread::finished, this, [this, receiver] { OnReceiverFinished(receiver); });
    receiver->start();
    if (!receiver->isRunning() && !receiver->isFinished()) {
        // No thread could be created: nobody else will close the connection.
        delete receiver;
        ::close(static_cast<int>(handle));
        return;
    }
    m_receivers.insert(receiver);
    m_pDiscover->OnReceiverStarted();
    if (AtCeiling())
        Pause();
}

void CListenSocket::Pause()
{
    // Pausing alone only takes effect once the server's accept loop returns,
    // and that loop empties the kernel's queue first. No room for pending
    // connections ends the loop at once.
    m_nPendingLimit = maxPendingConnections();
    setMaxPendingConnections(0);
    pauseAccepting();
    m_paused = true;
}

void CListenSocket::Resume()
{
    m_paused = false;
    setMaxPendingConnections(m_nPendingLimit);
    resumeAccepting();
}

void CListenSocket::OnReceiverFinished(CNotifyReceiver *receiver)
{
    // A receiver already ended by Shutdown is gone from the set.
    if (!m_receivers.remove(receiver))
        return;
    // finished() follows run()'s return; only Qt's last steps remain.
    if (receiver->wait(CDeviceDiscover::RECEIVER_STOP_TIMEOUT_MS) && receiver->HasEnded())
        delete receiver;
    else
        qWarning("CListenSocket: a finished receiver did not end; leaving it");
    m_pDiscover->OnReceiverEnded();
    if (m_paused && !AtCeiling())
        Resume();
}

bool CListenSocket::AtCeiling() const
{
    return m_receivers.size() >= m_pDiscover->MaxReceivers();
}

void CListenSocket::Shutdown(int timeoutMs)
{
    close();
    for (CNotifyReceiver *receiver : std::as_const(m_receivers))
        receiver->quit();
    const QDeadlineTimer deadline(timeoutMs);
    const QSet<CNotifyReceiver *> receivers = std::exchange(m_receivers, {});
    for (CNotifyReceiver *receiver : receivers) {
        if (receiver->wait(deadline) && receiver->HasEnded()) {
            delete receiver;
            m_pDiscover->OnReceiverEnded();
        } else {
            // Deleting a running thread would abort the process; leaving it
            // is the lesser harm.
            qWarning("CListenSocket: an announcement receiver did not end in time");
        }
    }
}
