// CDeviceDiscover: the discovery thread: sends the probe sweep, listens on TCP 10014.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMutex>
#include <QString>
#include <QThread>

#include "announcementsink.h"
#include "receivergauge.h"
#include "receiverlimits.h"
#include "sweeprange.h"

class CDeviceSink;
class CDiscoverInbox;
class CListenSocket;

// The discovery worker. On its own thread it listens for players announcing
// themselves on the announcement port, and on request sweeps a /24 network
// with probe datagrams that make every player there announce itself.
//
// Messages reach the thread as posted events: WM_DISCOVER_SWEEP runs one
// sweep of the address last set; Stop() posts the quit request. An object
// runs once: after Stop(), a new discovery run takes a new object.
class CDeviceDiscover : public QThread, public CAnnouncementSink
{
    Q_OBJECT

public:
    static constexpr quint16 PROBE_PORT = 10013;
    static constexpr quint16 ANNOUNCE_PORT = 10014;
    // A whole /24 answers one sweep within milliseconds, every player at
    // once; the queue of connections not yet accepted must hold them all.
    // The kernel caps it at its own limit (net.core.somaxconn), so it stays
    // bounded either way.
    static constexpr int LISTEN_BACKLOG = 1024;
    // One sweep covers every host number of a /24 network but the network's own.
    static constexpr int FIRST_HOST = 1;
    static constexpr int LAST_HOST = 255;
    // The probe players recognise: this text, a zero byte, and zero padding
    // to a fixed size.
    static constexpr char PROBE_TEXT[] = "tavrion.ver012.windows_x86";
    static constexpr int PROBE_SIZE = 100;
    // How long IsListening() waits for a just-started thread to try its port.
    static constexpr int STARTUP_TIMEOUT_MS = 5000;

    explicit CDeviceDiscover(QObject *parent = nullptr);
    ~CDeviceDiscover() override;

    // Before start(): who receives the players found, and the first address
    // to sweep from.
    void SetParams(CDeviceSink *manager, const QString &address);
    // The address whose /24 network the next sweep covers; safe while a
    // sweep runs.
    void SetSweepAddress(const QString &address);
    QString SweepAddress() const;
    // A network given instead of the address's /24; none goes back to it.
    void SetSweepRange(const std::optional<CSweepRange> &range);
    std::optional<CSweepRange> SweepRange() const;
    // Asks the thread for one sweep; never blocks.
    void PostSweep();
    // Hands no further player to the sink, posts the quit request and waits
    // until the thread and every announcement receiver have ended; after it
    // returns nothing of discovery runs any more. Never call it while holding
    // Lock(): a receiver handing over a player would wait for it.
    void Stop();
    // Whether the thread is listening for announcements. Right after start()
    // this waits up to STARTUP_TIMEOUT_MS for the listen attempt; false when
    // the port could not be bound (the thread then has ended) or after Stop().
    bool IsListening() const;

    // Held while one announcement is handed to the sink; the sink's owner
    // takes it while it reads or empties its device list.
    QMutex &Lock() { return m_lock; }

    // Sends one probe to every host of address's /24 network. False, having
    // sent nothing, when the address has no network part or no socket could
    // be had to send from.
    bool Sweep(const QString &address) const;
    // Sends one probe to every host of range, in address order.
    bool Sweep(const CSweepRange &range) const;
    // The sweep a posted WM_DISCOVER_SWEEP runs: the range when one is set,
    // else the sweep address's /24.
    bool SweepChosen() const;
    static QByteArray ProbePacket();

    // A receiver thread's complete announcement. The list-changed message
    // goes to the front end only when the sink actually added the player.
    void OnDeviceFound(const CAnnouncement &announcement) override;

    // Before start(): tests shorten these.
    void SetReceiverTimeout(int milliseconds) { m_limits.timeoutMs = milliseconds; }
    void SetMaxReceivers(int count) { m_limits.maxReceivers = count; }
    void SetMaxReceiversPerHost(int count) { m_limits.maxPerHost = count; }
    const CReceiverLimits &Limits() const { return m_limits; }

    // Announcement receivers alive now, and the most ever alive at once.
    int LiveReceivers() const { return m_gauge.Live(); }
    int PeakReceivers() const { return m_gauge.Peak(); }

protected:
    void run() override;

private:
    // One probe to each host, from one datagram socket; false, having sent
    // nothing, when no socket could be had.
    static bool SendProbes(const QList<QHostAddress> &hosts);
    enum class ListenState
    {
        NotStarted,
        Listening,
        Failed,
        Ended
    };

    void SetListenState(ListenState state);

    QMutex m_lock;
    CDeviceSink *m_pManager = nullptr;
    mutable std::mutex m_ipLock;
    QString m_strIp;
    std::optional<CSweepRange> m_range;
    std::unique_ptr<CDiscoverInbox> m_pInbox;
    std::unique_ptr<CListenSocket> m_listenSocket;
    // Standard primitives rather than Qt's: they synchronise in code that
    // race checkers can see.
    mutable std::mutex m_stateLock;
    mutable std::condition_variable m_stateChanged;
    ListenState m_listenState = ListenState::NotStarted;
    CReceiverLimits m_limits;
    CReceiverGauge m_gauge;
};
