// How fast one sweep fills the device list: 254 reference players on
// 127.0.0.2 .. 127.0.0.255 answer a single sweep of 127.0.0.x, and the
// benchmark reports when the last of them reached the manager's list and how
// many never did.
//
//   bench_discovery [ROUNDS]      (default 3)

#include <cstdio>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include "devicediscover.h"
#include "isolatednetwork.h"
#include "setupmanager.h"
#include "simnetwork.h"

namespace {

constexpr int kPlayers = 254;
constexpr int kFirstHost = 2;
constexpr int kDefaultRounds = 3;
// Far beyond the goal; a round that needs this long has lost players.
constexpr int kGiveUpMs = 10000;
constexpr double kGoalMs = 1000.0;

QList<CSimPlayerConfig> Players()
{
    QList<CSimPlayerConfig> players;
    for (int host = kFirstHost; host < kFirstHost + kPlayers; ++host)
        players.append(CSimPlayerConfig::ForAddress(QStringLiteral("127.0.0.%1").arg(host)));
    return players;
}

// Milliseconds from the sweep request until the list held every player, or
// until giving up; count receives how many were listed by then.
double RunRound(CSetupManager &manager, int &count)
{
    {
        QMutexLocker locker(&manager.m_pDiscover->Lock());
        manager.m_devices.clear();
        manager.m_deviceIps.fill(QString());
    }
    QElapsedTimer timer;
    timer.start();
    manager.m_pDiscover->PostSweep();
    double lastArrival = 0;
    int seen = 0;
    while (timer.elapsed() < kGiveUpMs) {
        const int now = static_cast<int>(manager.GetDevices().size());
        if (now != seen) {
            seen = now;
            lastArrival = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        }
        if (seen == kPlayers)
            break;
        QThread::usleep(200);
    }
    count = seen;
    return lastArrival;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    KestavonTest::RequireIsolatedNetwork();
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : kDefaultRounds;

    CSimNetwork network;
    QString error;
    if (!network.Start(Players(), &error)) {
        std::fprintf(stderr, "cannot start the reference players: %s\n", qPrintable(error));
        return 1;
    }
    CSetupManager manager;
    if (!manager.StartDiscovery() || !manager.m_pDiscover->IsListening()) {
        std::fprintf(stderr, "discovery did not start\n");
        return 1;
    }
    manager.m_strLocalIp = QStringLiteral("127.0.0.1");
    manager.m_pDiscover->SetSweepAddress(manager.m_strLocalIp);

    bool met = true;
    for (int round = 1; round <= rounds; ++round) {
        int count = 0;
        const double ms = RunRound(manager, count);
        const int lost = kPlayers - count;
        met = met && lost == 0 && ms <= kGoalMs;
        std::printf("round %d: %d players listed, last %.1f ms after the sweep, %d lost\n", round,
                    count, ms, lost);
    }
    std::printf("goal: none lost, all listed within %.0f ms of the sweep: %s\n", kGoalMs,
                met ? "met" : "NOT met");
    manager.StopDiscovery();
    return 0;
}
