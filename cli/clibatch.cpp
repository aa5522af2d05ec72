#include "clibatch.h"

#include <optional>
#include <vector>

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QMutex>
#include <QMutexLocker>
#include <QSet>
#include <QThread>
#include <QTimer>

#include "setupmanager.h"

namespace {

// A thread that has reported its end is gone within moments.
constexpr int THREAD_END_TIMEOUT_MS = 5000;
// Keeps the guard within what a timer can hold, however long the list.
constexpr std::chrono::milliseconds MAX_DEADLINE = std::chrono::hours(24);

} // namespace

// What the workers and the caller share. Held by shared pointer: a worker
// given up on may still write into it after the caller has gone on.
class CCliBatch::CShared
{
public:
    explicit CShared(QStringList players)
        : m_players(std::move(players)), m_results(static_cast<size_t>(m_players.size()))
    {}

    // The next player nobody has taken yet, or none.
    std::optional<qsizetype> Take()
    {
        QMutexLocker lock(&m_mutex);
        if (m_nNext >= m_players.size())
            return std::nullopt;
        return m_nNext++;
    }

    void Store(qsizetype index, CCliPlayerResult result)
    {
        QMutexLocker lock(&m_mutex);
        m_results[static_cast<size_t>(index)] = std::move(result);
    }

    QList<CCliPlayerResult> Results()
    {
        QMutexLocker lock(&m_mutex);
        QList<CCliPlayerResult> results;
        for (qsizetype i = 0; i < m_players.size(); ++i) {
            const auto &stored = m_results[static_cast<size_t>(i)];
            results.append(
                stored ? *stored
                       : CCliPlayerResult::Failure(m_players.at(i),
                                                   QStringLiteral("no outcome in time; given up")));
        }
        return results;
    }

    const QStringList m_players;

private:
    QMutex m_mutex;
    qsizetype m_nNext = 0;
    std::vector<std::optional<CCliPlayerResult>> m_results;
};

CCliBatch::CCliBatch(Task task, int parallel, std::chrono::milliseconds perPlayer)
    : m_task(std::move(task)), m_nParallel(parallel), m_perPlayer(perPlayer)
{}

void CCliBatch::Work(const std::shared_ptr<CShared> &shared, const Task &task)
{
    CSetupManager manager;
    while (const std::optional<qsizetype> index = shared->Take())
        shared->Store(*index, task(manager, shared->m_players.at(*index)));
}

QList<CCliPlayerResult> CCliBatch::Run(const QStringList &players)
{
    auto shared = std::make_shared<CShared>(players);
    const qsizetype workers = std::min<qsizetype>(m_nParallel, players.size());
    if (workers <= 0)
        return {};

    QEventLoop loop;
    QList<QThread *> threads;
    QSet<QThread *> finished;
    for (qsizetype i = 0; i < workers; ++i) {
        QThread *thread = QThread::create([shared, task = m_task] { Work(shared, task); });
        QObject::connect(thread, &QThread::finished, &loop, [thread, &finished, &loop, workers] {
            finished.insert(thread);
            if (finished.size() == workers)
                loop.quit();
        });
        threads.append(thread);
        thread->start();
    }

    // Every exchange of the command channel has its own time-outs, so the
    // workers end by themselves; this only guards against the unforeseen.
    const qsizetype share = (players.size() + workers - 1) / workers;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(std::min<std::chrono::milliseconds>(m_perPlayer * share, MAX_DEADLINE));
    loop.exec();

    for (QThread *thread : std::as_const(threads)) {
        // A worker still running past its deadline is left to the end of the
        // process: destroying a running thread would abort it.
        if (finished.contains(thread) && thread->wait(QDeadlineTimer(THREAD_END_TIMEOUT_MS)))
            delete thread;
    }
    return shared->Results();
}
