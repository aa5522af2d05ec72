// Whether one sweep lists every player, and how fast: 254 reference players
// on 127.0.0.2 .. 127.0.0.255 answer a sweep of 127.0.0.x together. Three
// modes: an idle machine; a machine kept busy by one spinning process per
// core; and one round while a single host floods the announcement port with
// 1000 idle connections. Each round reports how many players were listed and
// when the last one was listed, counted from the sweep request.
//
//   bench_discovery [ROUNDS]      (default 20 per mode; the flood round runs once)

#include <algorithm>
#include <cstdio>

#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include "busyload.h"
#include "connectionflood.h"
#include "devicediscover.h"
#include "isolatednetwork.h"
#include "setupmanager.h"
#include "simnetwork.h"

namespace {

constexpr int kPlayers = 254;
constexpr int kFirstHost = 2;
constexpr int kDefaultRounds = 20;
// Far beyond the goals; a round that needs this long has lost players.
constexpr int kGiveUpMs = 10000;
// Long enough for every receiver of the last round to end (the flood's idle
// connections end by the receive time-out).
constexpr int kQuietWaitMs = 15000;
constexpr double kIdleMedianGoalMs = 1000.0;
constexpr double kBusyWorstGoalMs = 2000.0;
constexpr double kFloodGoalMs = 1000.0;
constexpr int kFloodConnections = 1000;
const char *const kFloodHost = "127.0.1.1";

struct CRound
{
    int listed = 0;
    double lastMs = 0;
};

QList<CSimPlayerConfig> Players()
{
    QList<CSimPlayerConfig> players;
    for (int host = kFirstHost; host < kFirstHost + kPlayers; ++host)
        players.append(CSimPlayerConfig::ForAddress(QStringLiteral("127.0.0.%1").arg(host)));
    return players;
}

void WaitUntilQuiet(const CSetupManager &manager)
{
    QElapsedTimer timer;
    timer.start();
    while (manager.GetDiscover()->LiveReceivers() > 0 && timer.elapsed() < kQuietWaitMs)
        QThread::msleep(10);
}

CRound RunRound(CSetupManager &manager)
{
    WaitUntilQuiet(manager);
    manager.ClearDevices();
    QElapsedTimer timer;
    timer.start();
    manager.GetDiscover()->PostSweep();
    CRound round;
    while (timer.elapsed() < kGiveUpMs && round.listed < kPlayers) {
        const int now = static_cast<int>(manager.GetDevices().size());
        if (now != round.listed) {
            round.listed = now;
            round.lastMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        }
        QThread::usleep(200);
    }
    return round;
}

double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct CSummary
{
    int worstLost = 0;
    double medianMs = 0;
    double worstMs = 0;
};

CSummary RunMode(CSetupManager &manager, const char *mode, int rounds)
{
    QList<double> times;
    CSummary summary;
    for (int i = 1; i <= rounds; ++i) {
        const CRound round = RunRound(manager);
        const int lost = kPlayers - round.listed;
        std::printf("  %s round %2d: %d listed, %d lost, last %.1f ms after the sweep\n", mode, i,
                    round.listed, lost, round.lastMs);
        std::fflush(stdout);
        times.append(round.lastMs);
        summary.worstLost = std::max(summary.worstLost, lost);
        summary.worstMs = std::max(summary.worstMs, round.lastMs);
    }
    summary.medianMs = Median(times);
    std::printf("%s: %d rounds, lost %d (worst round), last listed median %.1f ms, worst %.1f ms\n",
                mode, rounds, summary.worstLost, summary.medianMs, summary.worstMs);
    return summary;
}

void RaiseDescriptorLimit()
{
    // The players' sockets and the flood's connections together pass the
    // usual soft limit of 1024.
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

QByteArray LoadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray("unknown");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    KestavonTest::RequireIsolatedNetwork();
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : kDefaultRounds;
    RaiseDescriptorLimit();

    CSimNetwork network;
    QString error;
    if (!network.Start(Players(), &error)) {
        std::fprintf(stderr, "cannot start the reference players: %s\n", qPrintable(error));
        return 1;
    }
    CSetupManager manager;
    if (!manager.StartDiscovery() || !manager.GetDiscover()->IsListening()) {
        std::fprintf(stderr, "discovery did not start\n");
        return 1;
    }
    manager.ChooseLocalIp(QStringLiteral("127.0.0.1"));
    manager.GetDiscover()->SetSweepAddress(manager.GetLocalIp());
    std::printf("%d players, %d cores, load average at start: %s\n", kPlayers,
                QThread::idealThreadCount(), LoadAverage().constData());

    const CSummary idle = RunMode(manager, "idle", rounds);
    CSummary busy;
    {
        const CBusyLoad load(QThread::idealThreadCount());
        std::printf("busy: %d spinning processes started\n", load.Count());
        busy = RunMode(manager, "busy", rounds);
    }
    CSummary flood;
    {
        CConnectionFlood connections;
        const int opened = connections.Open(QString::fromLatin1(kFloodHost), manager.GetLocalIp(),
                                            CDeviceDiscover::ANNOUNCE_PORT, kFloodConnections);
        std::printf("flood: %d idle connections from %s\n", opened, kFloodHost);
        flood = RunMode(manager, "flood", 1);
    }

    const int lost = std::max({idle.worstLost, busy.worstLost, flood.worstLost});
    const bool met = lost == 0 && idle.medianMs <= kIdleMedianGoalMs &&
                     busy.worstMs <= kBusyWorstGoalMs && flood.worstMs <= kFloodGoalMs;
    std::printf("goal: none lost in any round; last listed within %.0f ms (idle median), "
                "%.0f ms (busy worst round), %.0f ms (flood): %s\n",
                kIdleMedianGoalMs, kBusyWorstGoalMs, kFloodGoalMs, met ? "met" : "NOT met");
    std::printf("lost %d (worst round, all modes)\n", lost);
    manager.StopDiscovery();
    return 0;
}
