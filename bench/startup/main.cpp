// How fast Kestavon Setup starts and how much memory it needs to get there,
// against a minimal Qt Widgets program that shows one empty dialog, both
// started the same way in the same run: from starting the process until its
// window is shown (for Kestavon Setup: with the adapter list filled), and the
// peak resident memory (ru_maxrss) at that moment. The rounds alternate the
// two programs; the figures are the median and the worst of the rounds. Both
// are measured on the offscreen platform (no window system in the figures)
// and, when Xvfb is installed, on a private virtual X display (a window
// system's connection, mapping and exposure included).
//
// A second series on each platform measures the first navigation: Kestavon
// Setup starts in front of one simulated player of a class without a device
// page, and the time from selecting it to its loaded web page is taken (the
// browser library is loaded and the engine started in that time).
//
// Kestavon Setup runs under a single-instance name of the benchmark's own, so
// a copy the user runs meanwhile neither stops the benchmark nor is disturbed.
//
//   bench_startup [ROUNDS]      (default 7)

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include "isolatednetwork.h"
#include "simnetwork.h"
#include "startuprun.h"
#include "virtualdisplay.h"

namespace {

constexpr int kDefaultRounds = 7;
// Neither figure may be more than this many times the minimal program's.
constexpr double kGoalRatio = 1.5;
constexpr double kKbPerMib = 1024.0;
// The tool's own single-instance name for its runs here.
const char *const kInstanceVariable = "KESTAVON_SETUP_INSTANCE";
// The player whose page the navigation series opens: model class 0.
const QString kPlayerAddress = QStringLiteral("127.0.0.5");

struct SFigures
{
    std::vector<double> m_ms;
    std::vector<double> m_rssMib;
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double Worst(const std::vector<double> &values)
{
    return *std::max_element(values.begin(), values.end());
}

double Mib(long kb)
{
    return static_cast<double>(kb) / kKbPerMib;
}

bool MeasureInto(const char *name, const CStartupRun &run, SFigures &figures)
{
    const SStartupSample sample = run.Measure();
    if (!sample.m_bOk) {
        std::fprintf(stderr, "%s: %s\n", name, qPrintable(sample.m_strError));
        return false;
    }
    figures.m_ms.push_back(sample.m_dShownMs);
    figures.m_rssMib.push_back(Mib(sample.m_nMaxRssKb));
    std::printf("  %-16s %8.1f ms %8.1f MiB\n", name, sample.m_dShownMs, Mib(sample.m_nMaxRssKb));
    return true;
}

void PrintVerdict(const char *what, const std::vector<double> &tool,
                  const std::vector<double> &minimal, const char *unit)
{
    const double ratio = Median(tool) / Median(minimal);
    const double worstRatio = Worst(tool) / Worst(minimal);
    std::printf("%-11s kestavon-setup median %.1f %s (worst %.1f), minimal median %.1f %s "
                "(worst %.1f): %.2fx, worst %.2fx (goal at most %.1fx): %s\n",
                what, Median(tool), unit, Worst(tool), Median(minimal), unit, Worst(minimal), ratio,
                worstRatio, kGoalRatio, ratio <= kGoalRatio ? "met" : "NOT met");
}

// Alternates the two programs, rounds times after one unmeasured start
// each (so both find their libraries in the cache), and prints the verdicts.
bool RunStartSeries(const char *platform, const QProcessEnvironment &environment, int rounds)
{
    const CStartupRun minimal(QStringLiteral(KESTAVON_MINIMAL_EXECUTABLE), environment);
    const CStartupRun tool(QStringLiteral(KESTAVON_SETUP_EXECUTABLE), environment);
    std::printf("== %s platform: start-up\nwarm-up\n", platform);
    SFigures warmUp;
    if (!MeasureInto("minimal", minimal, warmUp) || !MeasureInto("kestavon-setup", tool, warmUp))
        return false;
    SFigures minimalFigures;
    SFigures toolFigures;
    for (int round = 1; round <= rounds; ++round) {
        std::printf("round %d\n", round);
        if (!MeasureInto("minimal", minimal, minimalFigures) ||
            !MeasureInto("kestavon-setup", tool, toolFigures))
            return false;
    }
    std::printf("%d rounds, %s platform:\n", rounds, platform);
    PrintVerdict("start-up", toolFigures.m_ms, minimalFigures.m_ms, "ms");
    PrintVerdict("peak memory", toolFigures.m_rssMib, minimalFigures.m_rssMib, "MiB");
    return true;
}

// The first navigation of a fresh start, rounds times after one unmeasured.
bool RunNavigationSeries(const char *platform, const QProcessEnvironment &environment, int rounds)
{
    const CStartupRun tool(QStringLiteral(KESTAVON_SETUP_EXECUTABLE), environment);
    std::printf("== %s platform: first navigation\n", platform);
    SFigures figures;
    for (int round = 0; round <= rounds; ++round) {
        const SStartupSample sample = tool.Measure(true);
        if (!sample.m_bOk) {
            std::fprintf(stderr, "navigation: %s\n", qPrintable(sample.m_strError));
            return false;
        }
        std::printf("  %-16s %8.1f ms %8.1f MiB\n", round == 0 ? "warm-up" : "kestavon-setup",
                    sample.m_dNavigatedMs, Mib(sample.m_nNavigatedRssKb));
        if (round == 0)
            continue;
        figures.m_ms.push_back(sample.m_dNavigatedMs);
        figures.m_rssMib.push_back(Mib(sample.m_nNavigatedRssKb));
    }
    std::printf("first navigation, %s platform, %d rounds: selection to loaded page median "
                "%.1f ms (worst %.1f); peak memory of the tool's process then median %.1f MiB "
                "(worst %.1f)\n",
                platform, rounds, Median(figures.m_ms), Worst(figures.m_ms),
                Median(figures.m_rssMib), Worst(figures.m_rssMib));
    return true;
}

bool RunPlatform(const char *platform, const QString &name, QProcessEnvironment environment,
                 int rounds, CSimNetwork &network)
{
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), name);
    if (!RunStartSeries(platform, environment, rounds))
        return false;
    CSimPlayerConfig player = CSimPlayerConfig::ForAddress(kPlayerAddress);
    player.m_strModel = QStringLiteral("KS-100");
    player.m_strName = QStringLiteral("Hall");
    QString error;
    if (!network.Start({player}, &error)) {
        std::fprintf(stderr, "the simulated player did not start: %s\n", qPrintable(error));
        return false;
    }
    const bool ok = RunNavigationSeries(platform, environment, rounds);
    network.Stop();
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    KestavonTest::RequireIsolatedNetwork();
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRounds;

    // Qt wants a private runtime directory; root sessions often have none. A
    // desktop session's runtime folder is in memory, so the stand-in is too
    // where the system offers one: on disk, taking the tool's lock file there
    // would add a disk flush that users do not pay.
    const QString memoryFolder = QStringLiteral("/dev/shm");
    const QTemporaryDir runtimeDir =
        QFileInfo(memoryFolder).isWritable()
            ? QTemporaryDir(memoryFolder + QStringLiteral("/kestavon-bench-XXXXXX"))
            : QTemporaryDir();
    if (!runtimeDir.isValid()) {
        std::fprintf(stderr, "cannot make a runtime directory\n");
        return 1;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(KESTAVON_STARTUP_PROBE));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir.path());
    // The window opens at its default size, whatever the user's copy remembers.
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       runtimeDir.path() + QStringLiteral("/config"));
    // Nor does it show the players the user's copy has seen.
    environment.insert(QStringLiteral("XDG_DATA_HOME"),
                       runtimeDir.path() + QStringLiteral("/data"));
    environment.insert(QString::fromLatin1(kInstanceVariable),
                       QStringLiteral("bench-startup-%1").arg(QCoreApplication::applicationPid()));

    CSimNetwork network;
    if (!RunPlatform("offscreen", QStringLiteral("offscreen"), environment, rounds, network))
        return 1;
    if (!CVirtualDisplay::IsAvailable()) {
        std::printf("Xvfb is not installed: no figures on an X display\n");
        return 0;
    }
    CVirtualDisplay display;
    QString error;
    if (!display.Start(error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    environment.insert(QStringLiteral("DISPLAY"), display.Name());
    return RunPlatform("xcb (Xvfb)", QStringLiteral("xcb"), environment, rounds, network) ? 0 : 1;
}
