#include "devicediscover.h"

#include <chrono>
#include <cstring>

#include <QHostAddress>
#include <QMutexLocker>
#include <QNetworkProxy>
#include <QUdpSocket>

#include "announcement.h"
#include "devicesink.h"
#include "discoverinbox.h"
#include "listensocket.h"
#include "postedmessage.h"
#include "threadhandover.h"

CDeviceDiscover::CDeviceDiscover(QObject *parent)
    : QThread(parent), m_pInbox(std::make_unique<CDiscoverInbox>(this))
{
    m_pInbox->moveToThread(this);
    ThreadHandover::ReleaseAtEnd(this);
}

CDeviceDiscover::~CDeviceDiscover()
{
    Stop();
}

void CDeviceDiscover::SetParams(CDeviceSink *manager, const QString &address)
{
    m_pManager = manager;
    SetSweepAddress(address);
}

void CDeviceDiscover::SetSweepAddress(const QString &address)
{
    const std::lock_guard locker(m_ipLock);
    m_strIp = address;
}

QString CDeviceDiscover::SweepAddress() const
{
    const std::lock_guard locker(m_ipLock);
    return m_strIp;
}

void CDeviceDiscover::SetSweepRange(const std::optional<CSweepRange> &range)
{
    const std::lock_guard locker(m_ipLock);
    m_range = range;
}

std::optional<CSweepRange> CDeviceDiscover::SweepRange() const
{
    const std::lock_guard locker(m_ipLock);
    return m_range;
}

void CDeviceDiscover::PostSweep()
{
    CPostedMessage::Post(m_pInbox.get(), WM_DISCOVER_SWEEP);
}

void CDeviceDiscover::Stop()
{
    {
        // Whatever a receiver still holds now goes nowhere: the sink's list
        // is about to be emptied, and the sink itself may go soon after.
        const QMutexLocker locker(&m_lock);
        m_pManager = nullptr;
    }
    if (isRunning())
        CPostedMessage::Post(m_pInbox.get(), CDiscoverInbox::QuitRequest());
    // Also when run() has returned already: Qt may still be ending the thread,
    // emitting finished() with this object. No time limit: the thread's end
    // waits for every receiver, and each one ends as soon as it is told.
    wait();
    ThreadHandover::AcquireEnded(this);
}

bool CDeviceDiscover::IsListening() const
{
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(STARTUP_TIMEOUT_MS);
    std::unique_lock locker(m_stateLock);
    // The thread sets the state as soon as it has tried its port; the
    // deadline bounds the wait should it never get that far.
    m_stateChanged.wait_until(locker, deadline, [this] {
        return m_listenState != ListenState::NotStarted || !isRunning();
    });
    return m_listenState == ListenState::Listening;
}

void CDeviceDiscover::SetListenState(ListenState state)
{
    // Notified under the lock: once a waiter sees the thread ended it may
    // destroy this object, condition variable included.
    const std::lock_guard locker(m_stateLock);
    m_listenState = state;
    m_stateChanged.notify_all();
}

QByteArray CDeviceDiscover::ProbePacket()
{
    QByteArray probe(PROBE_SIZE, '\0');
    std::memcpy(probe.data(), PROBE_TEXT, std::strlen(PROBE_TEXT));
    return probe;
}

bool CDeviceDiscover::Sweep(const QString &address) const
{
    const qsizetype lastDot = address.lastIndexOf(QLatin1Char('.'));
    if (lastDot <= 0)
        return false;
    const QString prefix = address.left(lastDot + 1);
    QList<QHostAddress> hosts;
    for (int host = FIRST_HOST; host <= LAST_HOST; ++host)
        hosts.append(QHostAddress(prefix + QString::number(host)));
    return SendProbes(hosts);
}

bool CDeviceDiscover::Sweep(const CSweepRange &range) const
{
    QList<QHostAddress> hosts;
    for (const quint32 host : range.Hosts())
        hosts.append(QHostAddress(host));
    return SendProbes(hosts);
}

bool CDeviceDiscover::SendProbes(const QList<QHostAddress> &hosts)
{
    const QByteArray probe = ProbePacket();
    QUdpSocket socket;
    // Players are on the local network: a system proxy must not take the probes.
    socket.setProxy(QNetworkProxy::NoProxy);
    if (!socket.bind(QHostAddress::AnyIPv4, 0))
        return false;
    // Players that miss a probe are found by the user's next sweep; there is
    // no retransmission and no pause between datagrams.
    for (const QHostAddress &host : hosts)
        socket.writeDatagram(probe, host, PROBE_PORT);
    socket.close();
    return true;
}

bool CDeviceDiscover::SweepChosen() const
{
    if (const std::optional<CSweepRange> range = SweepRange())
        return Sweep(*range);
    return Sweep(SweepAddress());
}

void CDeviceDiscover::OnDeviceFound(const CAnnouncement &announcement)
{
    const QMutexLocker locker(&m_lock);
    if (!m_pManager)
        return;
    // Each message makes the front end rebuild its list and lose the user's
    // selection; a repeat or an ignored player changes nothing to show.
    if (m_pManager->AddDevice(announcement.model, announcement.name, announcement.ip,
                              announcement.udn))
        CPostedMessage::Post(m_pManager->MainWindow(), WM_DEVICE_LIST_CHANGED, 0, 0);
}

void CDeviceDiscover::run()
{
    m_listenSocket = std::make_unique<CListenSocket>(this, m_limits, m_gauge);
    if (!m_listenSocket->Start(ANNOUNCE_PORT, LISTEN_BACKLOG)) {
        m_listenSocket.reset();
        SetListenState(ListenState::Failed);
        return;
    }
    SetListenState(ListenState::Listening);
    exec();
    m_listenSocket->Shutdown();
    m_listenSocket.reset();
    // Last: whoever sees the thread ended may destroy what it used.
    SetListenState(ListenState::Ended);
}
