#pragma once

// Simulated Kestavon players for tests, benchmarks and manual runs.
//
// Usage (inside scripts/netns-run; players bind 127.0.0.x):
//
//   CSimNetwork network;
//   CSimPlayerConfig player = CSimPlayerConfig::ForAddress(u"127.0.0.2"_s);
//   player.m_strName = u"Living Room"_s;
//   QString error;
//   QVERIFY2(network.Start({player}, &error), qPrintable(error));
//   // ... let the tool talk to 127.0.0.2: commands on 10015, probes on 10013
//   //     (announcements go to port 10014 of the prober), web page on 80 ...
//   network.SetFault(u"127.0.0.2"_s, CSimFault{.m_kind = CSimFault::EKind::Pieces,
//                                               .m_strOperation = u"getApList"_s});
//   QCOMPARE(network.State(u"127.0.0.2"_s).m_strDeviceName, u"Kitchen"_s);
//   QVERIFY(network.WaitForDownload(u"127.0.0.2"_s, 5000));
//
// Players described in JSON: CSimConfigLoader::LoadFile(path, &error), see
// sim/README.md and sim/examples/. Every player runs on one worker thread
// owned by the network, so the caller's thread may use blocking sockets.
// Start and Stop belong to the thread that owns the network; every other
// method may be called from any thread while it runs. Only Start, Stop,
// SetFault and ClearFaults wait for the worker, and every wait is bounded.
// Faults shape what a player sends; the command itself is still carried out.

#include <functional>
#include <memory>

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include "simfault.h"
#include "simplayerconfig.h"
#include "simplayerrecord.h"
#include "simplayerstate.h"

class CSimJobQueue;
class CSimRegistry;
class CSimWorker;
class CSimWorkerThread;

class CSimNetwork : public QObject
{
    Q_OBJECT

public:
    explicit CSimNetwork(QObject *parent = nullptr);
    ~CSimNetwork() override;

    // Starts the players and returns once every port is bound, or false (and
    // nothing running) when one could not be. Stops a running network first.
    bool Start(const QList<CSimPlayerConfig> &players, QString *error = nullptr);
    // Closes every socket and ends the worker thread; also done by the destructor.
    void Stop();
    bool IsRunning() const;
    QStringList Addresses() const;

    CSimPlayerState State(const QString &ip) const;
    void SetState(const QString &ip, const CSimPlayerState &state);

    // Adds a fault (replacing one of the same kind and operation). Takes
    // effect before the call returns.
    void SetFault(const QString &ip, const CSimFault &fault);
    void ClearFaults(const QString &ip);

    // Every request the player received, byte for byte, oldest first.
    QList<QByteArray> ReceivedRequests(const QString &ip) const;
    bool WaitForRequests(const QString &ip, int count, int timeoutMs) const;

    // Finished firmware downloads, oldest first.
    QList<CSimDownload> Downloads(const QString &ip) const;
    // True once at least count downloads have finished.
    bool WaitForDownload(const QString &ip, int timeoutMs, int count = 1) const;

    // Valid probes answered and invalid datagrams ignored (while reachable).
    int ProbesReceived(const QString &ip) const;
    int InvalidProbesReceived(const QString &ip) const;
    // True once valid plus invalid probes reach count.
    bool WaitForProbes(const QString &ip, int count, int timeoutMs) const;

    // False while the player is away after resetRender or rebootDevice.
    bool IsReachable(const QString &ip) const;
    bool WaitUntilReachable(const QString &ip, int timeoutMs) const;
    // How long resetRender and rebootDevice keep a player away (default 3 s).
    void SetUnreachableTime(int ms);
    // Where the player that started at ip answers now: a reboot brings it up
    // at the static address of its LAN set-up (any 127.x.y.z host address),
    // or back at ip with DHCP. Every other method keeps naming it by ip.
    QString CurrentAddress(const QString &ip) const;

private:
    // Runs job on the worker thread and waits for it, at most timeoutMs.
    bool RunOnWorker(const std::function<void(CSimWorker &)> &job, int timeoutMs) const;

    std::unique_ptr<CSimRegistry> m_pRegistry;
    std::unique_ptr<CSimJobQueue> m_pJobs;
    std::unique_ptr<CSimWorkerThread> m_pThread;
    QStringList m_addresses;
};
