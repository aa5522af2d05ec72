#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

#include <QByteArray>
#include <QMutex>
#include <QString>
#include <QThread>

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
class CDeviceDiscover : public QThread
{
    Q_OBJECT

public:
    static constexpr quint16 PROBE_PORT = 10013;
    static constexpr quint16 ANNOUNCE_PORT = 10014;
    // Players answer a sweep one by one within moments; a short queue of
    // connections not yet accepted is plenty.
    static constexpr int LISTEN_BACKLOG = 5;
    // One sweep covers every host number of a /24 network but the network's own.
    static constexpr int FIRST_HOST = 1;
    static constexpr int LAST_HOST = 255;
    // The probe players recognise: this text, a zero byte, and zero padding
    // to a fixed size.
    static constexpr char PROBE_TEXT[] = "tavrion.ver012.windows_x86";
    static constexpr int PROBE_SIZE = 100;
    // A player sends its announcement at once after connecting; ten seconds
    // covers a slow one without letting silent peers pile up.
    static constexpr int RECEIVE_TIMEOUT_MS = 10000;
    // Announcements are a few hundred bytes; anything this large is not one.
    static constexpr qsizetype MAX_ANNOUNCEMENT_BYTES = 64 * 1024;
    // Receivers are threads; beyond this many at once, new connections wait
    // in the kernel's queue until one ends.
    static constexpr int MAX_RECEIVERS = 256;
    // Stop() waits at most this long for the thread to end. Ending takes a
    // sweep in progress (255 datagrams, milliseconds) plus the receivers'
    // shutdown, which is bounded by RECEIVER_STOP_TIMEOUT_MS.
    static constexpr int STOP_TIMEOUT_MS = 5000;
    // How long the thread's end waits for live receivers to finish; they
    // only ever wait for the discovery lock.
    static constexpr int RECEIVER_STOP_TIMEOUT_MS = 2000;
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
    // Asks the thread for one sweep; never blocks.
    void PostSweep();
    // Posts the quit request and waits up to STOP_TIMEOUT_MS for the thread
    // to end. Never call it while holding Lock(): a receiver handing over a
    // player would wait for it.
    void Stop();
    // Whether the thread is listening for announcements. Right after start()
    // this waits up to STARTUP_TIMEOUT_MS for the listen attempt; false when
    // the port could not be bound (the thread then has ended) or after Stop().
    bool IsListening() const;

    // Held while one announcement is handed to the sink; the sink's owner
    // takes it while it reads or empties its device list.
    QMutex &Lock() { return m_lock; }

    // Sends one probe to every host of address's /24 network. False, having
    // sent nothing, when the address has no network part.
    bool Sweep(const QString &address) const;
    static QByteArray ProbePacket();

    // A receiver thread's complete announcement.
    void OnDeviceFound(QString model, QString name, QString ip, QString udn);

    // Before start(): tests shorten these.
    void SetReceiverTimeout(int milliseconds) { m_receiveTimeoutMs = milliseconds; }
    int ReceiverTimeout() const { return m_receiveTimeoutMs; }
    void SetMaxReceivers(int count) { m_maxReceivers = count; }
    int MaxReceivers() const { return m_maxReceivers; }

    // Announcement receivers alive now, and the most ever alive at once.
    int LiveReceivers() const { return m_liveReceivers.load(); }
    int PeakReceivers() const { return m_peakReceivers.load(); }
    void OnReceiverStarted();
    void OnReceiverEnded();

protected:
    void run() override;

private:
    enum class ListenState
    {
        NotStarted,
        Listening,
        Failed,
        Ended
    };

    void SetListenState(ListenState state);
    bool RunEnded() const;

    QMutex m_lock;
    CDeviceSink *m_pManager = nullptr;
    mutable std::mutex m_ipLock;
    QString m_strIp;
    std::unique_ptr<CDiscoverInbox> m_pInbox;
    std::unique_ptr<CListenSocket> m_listenSocket;
    // Standard primitives rather than Qt's: they synchronise in code that
    // race checkers can see, including the thread's end as Stop() observes it.
    mutable std::mutex m_stateLock;
    mutable std::condition_variable m_stateChanged;
    ListenState m_listenState = ListenState::NotStarted;
    int m_receiveTimeoutMs = RECEIVE_TIMEOUT_MS;
    int m_maxReceivers = MAX_RECEIVERS;
    std::atomic<int> m_liveReceivers{0};
    std::atomic<int> m_peakReceivers{0};
};
