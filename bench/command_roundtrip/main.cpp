// Measures one "getDeviceInfo" exchange through the command channel against
// the same request sent by a bare blocking socket client, both talking to the
// same reference player. The two are interleaved so that drift in the machine's
// load hits both alike.
//
//   bench_command_roundtrip [EXCHANGES]      (default 2000)

#include <algorithm>
#include <cstdio>
#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>

#include "commandcatalogue.h"
#include "isolatednetwork.h"
#include "netcommander.h"
#include "plainclient.h"
#include "simnetwork.h"

namespace {

constexpr int kDefaultExchanges = 2000;
constexpr double kGoalRatio = 1.3;
const char kPlayer[] = "127.0.0.2";

double Median(std::vector<qint64> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? double(values[middle])
                             : (double(values[middle - 1]) + double(values[middle])) / 2.0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    KestavonTest::RequireIsolatedNetwork();
    const int exchanges = argc > 1 ? std::max(1, atoi(argv[1])) : kDefaultExchanges;

    CSimNetwork network;
    QString error;
    if (!network.Start({CSimPlayerConfig::ForAddress(QString::fromLatin1(kPlayer))}, &error)) {
        std::fprintf(stderr, "cannot start the reference player: %s\n", qPrintable(error));
        return 1;
    }

    CNetCommander commander(nullptr);
    const STP_CMD_TAG &command = *FindCommand(CMD_GET_DEVICE_INFO);
    commander.SetCommandTarget(QString::fromLatin1(kPlayer), command);
    const QByteArray request = commander.GetPacket().GetRequestBytes();

    std::vector<qint64> tool;
    std::vector<qint64> plain;
    tool.reserve(static_cast<size_t>(exchanges));
    plain.reserve(static_cast<size_t>(exchanges));
    int failures = 0;
    QElapsedTimer timer;
    for (int i = 0; i < exchanges; ++i) {
        timer.start();
        failures += commander.Execute(QString::fromLatin1(kPlayer), command) ? 0 : 1;
        tool.push_back(timer.nsecsElapsed());

        timer.start();
        failures +=
            CPlainClient::Exchange(kPlayer, CNetCommander::COMMAND_PORT, request).isEmpty() ? 1 : 0;
        plain.push_back(timer.nsecsElapsed());
    }

    const double toolMedian = Median(tool) / 1000.0;
    const double plainMedian = Median(plain) / 1000.0;
    const double ratio = toolMedian / plainMedian;
    std::printf("exchanges:              %d each (%d failed)\n", exchanges, failures);
    std::printf("command channel median: %.1f us\n", toolMedian);
    std::printf("plain socket median:    %.1f us\n", plainMedian);
    std::printf("ratio:                  %.2f (goal: at most %.1f) %s\n", ratio, kGoalRatio,
                ratio <= kGoalRatio ? "met" : "NOT met");
    return failures ? 1 : 0;
}
