#include "listensocket.h"

#include <utility>

#include <unistd.h>

#include <QHostAddress>
#include <QNetworkProxy>

#include "notifyreceiver.h"
#include "peeraddress.h"
#include "receivergauge.h"
#include "threadhandover.h"

CListenSocket::CListenSocket(CAnnouncementSink *sink, const CReceiverLimits &limits,
                             CReceiverGauge &gauge)
    : m_pSink(sink), m_limits(limits), m_gauge(gauge)
{}

CListenSocket::~CListenSocket()
{
    Shutdown();
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
    const std::optional<quint32> peer = CPeerAddress::Ipv4Of(handle);
    // Hosts that cannot be told apart share one allowance.
    const quint32 host = peer.value_or(0);
    if (m_receiversPerHost.value(host) >= m_limits.maxPerHost || !StartReceiver(handle, peer)) {
        ::close(static_cast<int>(handle));
        return;
    }
    if (AtCeiling())
        Pause();
}

bool CListenSocket::StartReceiver(qintptr handle, std::optional<quint32> peer)
{
    const quint32 host = peer.value_or(0);
    auto *receiver =
        new CNotifyReceiver(handle, peer, m_pSink, m_limits.timeoutMs, m_limits.maxBytes);
    connect(receiver, &QThread::finished, this, [this, receiver] { OnReceiverFinished(receiver); });
    receiver->start();
    if (!receiver->isRunning() && !receiver->isFinished()) {
        // No thread could be created: the connection is the caller's to close.
        delete receiver;
        return false;
    }
    m_receivers.insert(receiver, host);
    ++m_receiversPerHost[host];
    m_gauge.Started();
    return true;
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
    // A receiver already ended by Shutdown is gone from the map.
    const auto found = m_receivers.constFind(receiver);
    if (found == m_receivers.cend())
        return;
    const quint32 host = found.value();
    m_receivers.erase(found);
    Forget(receiver, host);
    if (m_paused && !AtCeiling())
        Resume();
}

void CListenSocket::Forget(CNotifyReceiver *receiver, quint32 host)
{
    // After finished() only Qt's last steps remain.
    receiver->wait();
    ThreadHandover::AcquireEnded(receiver);
    delete receiver;
    if (--m_receiversPerHost[host] <= 0)
        m_receiversPerHost.remove(host);
    m_gauge.Ended();
}

bool CListenSocket::AtCeiling() const
{
    return m_receivers.size() >= m_limits.maxReceivers;
}

void CListenSocket::Shutdown()
{
    close();
    const QHash<CNotifyReceiver *, quint32> receivers = std::exchange(m_receivers, {});
    for (auto it = receivers.cbegin(); it != receivers.cend(); ++it)
        it.key()->quit();
    // No time limit: a receiver left running would hand its player to a
    // discovery object about to be deleted. Each one ends as soon as its
    // loop sees the quit, or once it has handed over the player it holds.
    for (auto it = receivers.cbegin(); it != receivers.cend(); ++it)
        Forget(it.key(), it.value());
}
