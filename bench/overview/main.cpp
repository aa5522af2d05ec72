// The overview with a /20 of players: 4096 players announced from 16 threads
// at once (as the announcement threads hand them to the manager), each
// announcement telling the window's thread that the list changed, which takes
// the list on its next turn, as the main window does. Reported per round:
// the time from the first announcement to the last row listed in the table,
// the filter's time per keystroke (typed, then erased, the table repainted
// each time) and each column's sort. Peak memory is the process's, over all
// rounds. The manager itself keeps 260 players a search; this measures the
// overview beyond that, with every row in one window.
//
// Then the whole path once more in the real main window: 254 reference
// players on 127.0.0.2 .. 127.0.0.255, Refresh pressed, and the time until
// every one of them has its row, and until every row's reads are back.
//
//   bench_overview [ROUNDS]      (default 7)

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <QPushButton>
#include <QTemporaryDir>

#include "devicesummary.h"
#include "halvorinsetup101dlg.h"
#include "simnetwork.h"
#include "templatebuilder.h"
#include "isolatednetwork.h"
#include "overviewfilter.h"
#include "overviewmodel.h"
#include "overviewpage.h"

namespace {

constexpr int kThreads = 16;
constexpr int kPerThread = 256;
constexpr int kPlayers = kThreads * kPerThread;
constexpr int kDefaultRounds = 7;
constexpr int kGiveUpMs = 60000;
constexpr double kFilterGoalMs = 16.0;
constexpr double kSortGoalMs = 50.0;
// What a person might type to find a player: part of an address, then part
// of a name.
const char *const kTyped = "0.23.1";
const QSize kWindowSize(1200, 800);

double Median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

double Worst(const QList<double> &values)
{
    return values.isEmpty() ? 0 : *std::max_element(values.cbegin(), values.cend());
}

double Ms(const QElapsedTimer &timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

long PeakRssKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The manager's list as the announcement threads fill it, and the window's
// side that takes it on its next turn.
class CAnnouncedList : public QObject
{
public:
    explicit CAnnouncedList(COverviewModel *model) : m_pModel(model) {}

    void Add(CDeviceSummary device)
    {
        {
            std::lock_guard lock(m_mutex);
            m_devices.append(std::move(device));
        }
        QMetaObject::invokeMethod(
            this, [this] { Schedule(); }, Qt::QueuedConnection);
    }

private:
    void Schedule()
    {
        if (m_bPending)
            return;
        m_bPending = true;
        QTimer::singleShot(0, this, [this] {
            m_bPending = false;
            QList<CDeviceSummary> copy;
            {
                std::lock_guard lock(m_mutex);
                copy = m_devices;
            }
            m_pModel->Announce(copy);
        });
    }

    COverviewModel *m_pModel;
    std::mutex m_mutex;
    QList<CDeviceSummary> m_devices;
    bool m_bPending = false;
};

struct CRound
{
    double listedMs = 0;
    QList<double> keystrokesMs;
    QList<double> sortsMs;
};

CRound RunRound()
{
    CRound round;
    COverviewModel model;
    QWidget window;
    auto *page = new COverviewPage(&model, &window);
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(page);
    window.resize(kWindowSize);
    window.show();
    QCoreApplication::processEvents();
    model.BeginSearch();

    CAnnouncedList list(&model);
    QElapsedTimer timer;
    timer.start();
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&list, t] {
            for (int i = 0; i < kPerThread; ++i) {
                const QString ip = QStringLiteral("127.0.%1.%2").arg(16 + t).arg(i);
                list.Add(CDeviceSummary(QStringLiteral("Player %1-%2").arg(t).arg(i),
                                        QStringLiteral("KS-210"), ip,
                                        QStringLiteral("uuid:bench-%1-%2").arg(t).arg(i)));
            }
        });
    }
    while (page->Proxy()->rowCount() < kPlayers && timer.elapsed() < kGiveUpMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    round.listedMs = Ms(timer);
    for (std::thread &thread : threads)
        thread.join();
    QCoreApplication::processEvents();

    QLineEdit *filter = page->FilterBox();
    for (const char *c = kTyped; *c; ++c) {
        QElapsedTimer keystroke;
        keystroke.start();
        filter->insert(QString(QLatin1Char(*c)));
        page->Table()->viewport()->repaint();
        QCoreApplication::processEvents();
        round.keystrokesMs.append(Ms(keystroke));
    }
    while (!filter->text().isEmpty()) {
        QElapsedTimer keystroke;
        keystroke.start();
        filter->backspace();
        page->Table()->viewport()->repaint();
        QCoreApplication::processEvents();
        round.keystrokesMs.append(Ms(keystroke));
    }

    for (int column = 0; column < COverviewModel::COLUMN_COUNT; ++column) {
        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            QElapsedTimer sort;
            sort.start();
            page->Table()->sortByColumn(column, order);
            page->Table()->viewport()->repaint();
            QCoreApplication::processEvents();
            round.sortsMs.append(Ms(sort));
        }
    }
    return round;
}

constexpr int kSimPlayers = 254;

int AnsweringRows(const COverviewModel &model)
{
    int rows = 0;
    for (int row = 0; row < model.rowCount(); ++row) {
        if (!model.index(row, 0).data(COverviewModel::AnsweringIpRole).toString().isEmpty())
            ++rows;
    }
    return rows;
}

// The real window in front of reference players: from Refresh to the last
// row, and to the last read.
bool RunWindowRounds(int rounds)
{
    QList<CSimPlayerConfig> players;
    for (int host = 2; host < 2 + kSimPlayers; ++host)
        players.append(CSimPlayerConfig::ForAddress(QStringLiteral("127.0.0.%1").arg(host)));
    CSimNetwork network;
    QString error;
    if (!network.Start(players, &error)) {
        std::fprintf(stderr, "cannot start the reference players: %s\n", qPrintable(error));
        return false;
    }
    CHalvorinSetup101Dlg window;
    window.show();
    const COverviewModel &model = window.OverviewModel();
    QElapsedTimer start;
    start.start();
    while (
        (AnsweringRows(model) < kSimPlayers || model.ReadsPending() > 0 || window.IsSearching()) &&
        start.elapsed() < kGiveUpMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    auto *refresh =
        CTemplateBuilder::Control<QPushButton>(&window, CHalvorinSetup101Dlg::IDC_REFRESH);
    QList<double> listed;
    QList<double> read;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        refresh->click();
        double listedMs = 0;
        while (timer.elapsed() < kGiveUpMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            if (listedMs == 0 && AnsweringRows(model) == kSimPlayers)
                listedMs = Ms(timer);
            if (listedMs > 0 && model.ReadsPending() == 0)
                break;
        }
        const double readMs = Ms(timer);
        while (window.IsSearching() && timer.elapsed() < kGiveUpMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        listed.append(listedMs);
        read.append(readMs);
        std::printf("  window round %d: %d rows answering, last listed %.1f ms after Refresh, "
                    "every read back after %.1f ms\n",
                    i, AnsweringRows(model), listedMs, readMs);
    }
    std::printf("window, %d players: last row listed median %.1f ms, worst %.1f ms; every read "
                "back median %.1f ms, worst %.1f ms\n",
                kSimPlayers, Median(listed), Worst(listed), Median(read), Worst(read));
    return true;
}

QString LoadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).trimmed()
                                          : QStringLiteral("unknown");
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Nothing of the user's is read or remembered.
    const QTemporaryDir folders;
    qputenv("XDG_CONFIG_HOME", folders.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", folders.filePath(QStringLiteral("data")).toLocal8Bit());
    QApplication app(argc, argv);
    KestavonTest::RequireIsolatedNetwork();
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : kDefaultRounds;
    std::printf("%d players from %d threads, %u cores, platform %s, load average at start: %s\n",
                kPlayers, kThreads, std::thread::hardware_concurrency(),
                qPrintable(QGuiApplication::platformName()), qPrintable(LoadAverage()));
    std::printf("peak memory before the first round: %ld KiB\n", PeakRssKiB());

    QList<double> listed;
    QList<double> keystrokes;
    QList<double> sorts;
    QList<double> worstKeystrokes;
    QList<double> worstSorts;
    for (int i = 0; i < rounds; ++i) {
        const CRound round = RunRound();
        listed.append(round.listedMs);
        keystrokes += round.keystrokesMs;
        sorts += round.sortsMs;
        worstKeystrokes.append(Worst(round.keystrokesMs));
        worstSorts.append(Worst(round.sortsMs));
        std::printf("  round %d: last row listed %.1f ms after the first announcement; "
                    "keystroke median %.2f ms, worst %.2f ms; sort median %.2f ms, worst %.2f "
                    "ms\n",
                    i, round.listedMs, Median(round.keystrokesMs), Worst(round.keystrokesMs),
                    Median(round.sortsMs), Worst(round.sortsMs));
    }
    std::printf("last row listed: median %.1f ms, worst %.1f ms\n", Median(listed), Worst(listed));
    std::printf("filter per keystroke: median %.2f ms, worst %.2f ms (goal: worst <= %.0f ms)\n",
                Median(keystrokes), Worst(keystrokes), kFilterGoalMs);
    std::printf("sort: median %.2f ms, worst %.2f ms (goal: <= %.0f ms)\n", Median(sorts),
                Worst(sorts), kSortGoalMs);
    std::printf("peak memory: %ld KiB\n", PeakRssKiB());
    if (!RunWindowRounds(rounds))
        return 1;
    std::printf("load average at end: %s\n", qPrintable(LoadAverage()));
    return Worst(keystrokes) <= kFilterGoalMs && Worst(sorts) <= kSortGoalMs ? 0 : 1;
}
