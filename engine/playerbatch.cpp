#include "playerbatch.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include <QEventLoop>
#include <QTimer>

#include "playersession.h"

namespace {

// How often the calling thread looks whether the workers are done. Workers
// report through shared state only and never touch an object of the calling
// thread, which may be gone when a worker given up on ends.
constexpr int POLL_INTERVAL_MS = 10;
// Keeps the guard within what a timer can hold, however long the list.
constexpr std::chrono::milliseconds MAX_DEADLINE = std::chrono::hours(24);

} // namespace

// What the workers and the caller share. Held by shared pointer: a worker
// given up on may still write into it after the caller has gone on. Standard
// locks, so that race checkers see the hand-overs.
class CPlayerBatch::CShared
{
public:
    explicit CShared(QStringList players, size_t workers)
        : m_players(std::move(players)), m_results(static_cast<size_t>(m_players.size())),
          m_finished(workers, false)
    {}

    // The next player nobody has taken yet, or none.
    std::optional<qsizetype> Take()
    {
        std::lock_guard lock(m_mutex);
        if (m_nNext >= m_players.size())
            return std::nullopt;
        return m_nNext++;
    }

    void Store(qsizetype index, CPlayerResult result)
    {
        std::lock_guard lock(m_mutex);
        m_results[static_cast<size_t>(index)] = std::move(result);
    }

    void Finish(size_t worker)
    {
        std::lock_guard lock(m_mutex);
        m_finished[worker] = true;
    }

    bool IsFinished(size_t worker)
    {
        std::lock_guard lock(m_mutex);
        return m_finished[worker];
    }

    bool AllFinished()
    {
        std::lock_guard lock(m_mutex);
        return std::all_of(m_finished.cbegin(), m_finished.cend(), [](bool done) { return done; });
    }

    QList<CPlayerResult> Results()
    {
        std::lock_guard lock(m_mutex);
        QList<CPlayerResult> results;
        for (qsizetype i = 0; i < m_players.size(); ++i) {
            const auto &stored = m_results[static_cast<size_t>(i)];
            results.append(
                stored ? *stored
                       : CPlayerResult::Failure(m_players.at(i),
                                                QStringLiteral("no outcome in time; given up")));
        }
        return results;
    }

    const QStringList m_players;

private:
    std::mutex m_mutex;
    qsizetype m_nNext = 0;
    std::vector<std::optional<CPlayerResult>> m_results;
    std::vector<bool> m_finished;
};

CPlayerBatch::CPlayerBatch(Task task, int parallel, std::chrono::milliseconds perPlayer)
    : m_task(std::move(task)), m_nParallel(parallel), m_perPlayer(perPlayer)
{}

void CPlayerBatch::Work(const std::shared_ptr<CShared> &shared, const Task &task, size_t worker)
{
    {
        CPlayerSession session;
        while (const std::optional<qsizetype> index = shared->Take())
            shared->Store(*index, task(session, shared->m_players.at(*index)));
    }
    shared->Finish(worker);
}

QList<CPlayerResult> CPlayerBatch::Run(const QStringList &players)
{
    const size_t workers = static_cast<size_t>(std::min<qsizetype>(m_nParallel, players.size()));
    if (workers == 0)
        return {};
    auto shared = std::make_shared<CShared>(players, workers);
    std::vector<std::thread> threads;
    for (size_t worker = 0; worker < workers; ++worker)
        threads.emplace_back([shared, task = m_task, worker] { Work(shared, task, worker); });

    // The event loop keeps running, for the objects of this thread. Every
    // exchange of the command channel has its own time-outs, so the workers
    // end by themselves; the deadline only guards against the unforeseen.
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&shared, &loop] {
        if (shared->AllFinished())
            loop.quit();
    });
    poll.start(POLL_INTERVAL_MS);
    const qsizetype share =
        (players.size() + static_cast<qsizetype>(workers) - 1) / static_cast<qsizetype>(workers);
    QTimer::singleShot(std::min<std::chrono::milliseconds>(m_perPlayer * share, MAX_DEADLINE),
                       &loop, &QEventLoop::quit);
    if (!shared->AllFinished())
        loop.exec();

    for (size_t worker = 0; worker < workers; ++worker) {
        // A finished worker has only its thread's end left. One still
        // running past the deadline is left to the end of the process.
        if (shared->IsFinished(worker))
            threads[worker].join();
        else
            threads[worker].detach();
    }
    return shared->Results();
}
