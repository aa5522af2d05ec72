// How fast Kestavon Setup starts and how much memory it needs to get there,
// against a minimal Qt Widgets program that shows one empty dialog, both
// started the same way in the same run: from starting the process until its
// window is shown (for Kestavon Setup: with the adapter list filled), and the
// peak resident memory (ru_maxrss) at that moment. The rounds alternate the
// two programs; the figures are medians. Both are measured on the offscreen
// platform (no window system in the figures) and, when Xvfb is installed, on
// a private virtual X display (a window system's connection, mapping and
// exposure included).
//
//   bench_startup [ROUNDS]      (default 7)

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "isolatednetwork.h"
#include "startuprun.h"
#include "virtualdisplay.h"

namespace {

constexpr int kDefaultRounds = 7;
// Neither figure may be more than this many times the minimal program's.
constexpr double kGoalRatio = 1.5;
constexpr double kKbPerMib = 1024.0;

struct SFigures
{
    std::vector<double> m_shownMs;
    std::vector<double> m_rssMib;
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

bool MeasureInto(const char *name, const CStartupRun &run, SFigures &figures)
{
    const SStartupSample sample = run.Measure();
    if (!sample.m_bOk) {
        std::fprintf(stderr, "%s: %s\n", name, qPrintable(sample.m_strError));
        return false;
    }
    const double rssMib = static_cast<double>(sample.m_nMaxRssKb) / kKbPerMib;
    figures.m_shownMs.push_back(sample.m_dShownMs);
    figures.m_rssMib.push_back(rssMib);
    std::printf("  %-16s %8.1f ms %8.1f MiB\n", name, sample.m_dShownMs, rssMib);
    return true;
}

void PrintVerdict(const char *what, double tool, double minimal, const char *unit)
{
    const double ratio = tool / minimal;
    std::printf("%-11s kestavon-setup %.1f %s, minimal %.1f %s: %.2fx (goal at most %.1fx): %s\n",
                what, tool, unit, minimal, unit, ratio, kGoalRatio,
                ratio <= kGoalRatio ? "met" : "NOT met");
}

// Alternates the two programs, rounds times after one unmeasured start
// each (so both find their libraries in the cache), and prints the verdicts.
bool RunSeries(const char *platform, const QProcessEnvironment &environment, int rounds)
{
    const CStartupRun minimal(QStringLiteral(KESTAVON_MINIMAL_EXECUTABLE), environment);
    const CStartupRun tool(QStringLiteral(KESTAVON_SETUP_EXECUTABLE), environment);
    std::printf("== %s platform\nwarm-up\n", platform);
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
    std::printf("medians of %d rounds, %s platform:\n", rounds, platform);
    PrintVerdict("start-up", Median(toolFigures.m_shownMs), Median(minimalFigures.m_shownMs), "ms");
    PrintVerdict("peak memory", Median(toolFigures.m_rssMib), Median(minimalFigures.m_rssMib),
                 "MiB");
    return true;
}

QProcessEnvironment WithPlatform(QProcessEnvironment environment, const QString &platform)
{
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    return environment;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    KestavonTest::RequireIsolatedNetwork();
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRounds;

    // Qt wants a private runtime directory; root sessions often have none.
    const QTemporaryDir runtimeDir;
    if (!runtimeDir.isValid()) {
        std::fprintf(stderr, "cannot make a runtime directory\n");
        return 1;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(KESTAVON_STARTUP_PROBE));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir.path());

    if (!RunSeries("offscreen", WithPlatform(environment, QStringLiteral("offscreen")), rounds))
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
    return RunSeries("xcb (Xvfb)", WithPlatform(environment, QStringLiteral("xcb")), rounds) ? 0
                                                                                             : 1;
}
