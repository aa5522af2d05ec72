// How fast Kestavon Setup starts and how much memory it needs to get there,
// against a minimal Qt Widgets program that shows one empty dialog, both
// started the same way in the same run: from starting the process until its
// window is shown (for Kestavon Setup: with the adapter list filled), and the
// peak resident memory (ru_maxrss) at that moment. The rounds alternate the
// two programs; the figures are medians.
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
    const QString probe = QStringLiteral(KESTAVON_STARTUP_PROBE);
    const CStartupRun minimal(QStringLiteral(KESTAVON_MINIMAL_EXECUTABLE), probe,
                              runtimeDir.path());
    const CStartupRun tool(QStringLiteral(KESTAVON_SETUP_EXECUTABLE), probe, runtimeDir.path());

    // One unmeasured start each, so both find their libraries in the cache.
    SFigures warmUp;
    std::printf("warm-up\n");
    if (!MeasureInto("minimal", minimal, warmUp) || !MeasureInto("kestavon-setup", tool, warmUp))
        return 1;

    SFigures minimalFigures;
    SFigures toolFigures;
    for (int round = 1; round <= rounds; ++round) {
        std::printf("round %d\n", round);
        if (!MeasureInto("minimal", minimal, minimalFigures) ||
            !MeasureInto("kestavon-setup", tool, toolFigures))
            return 1;
    }
    std::printf("medians of %d rounds, offscreen platform:\n", rounds);
    PrintVerdict("start-up", Median(toolFigures.m_shownMs), Median(minimalFigures.m_shownMs), "ms");
    PrintVerdict("peak memory", Median(toolFigures.m_rssMib), Median(minimalFigures.m_rssMib),
                 "MiB");
    return 0;
}
