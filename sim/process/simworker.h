#pragma once

// The worker side of CSimNetwork, one unit: the thread every player lives on,
// the worker it creates there (owning every socket) and the queue through
// which other threads hand the worker jobs and wait for them.

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>

#include "simplayerconfig.h"

class CSimPlayer;
class CSimProbeListener;
class CSimRegistry;
class CSimWorker;

// Hands jobs from any thread to the worker thread and waits for them,
// bounded. Jobs and their results cross under a standard lock, never inside
// a Qt event, so race checkers see every hand-over.
class CSimJobQueue
{
public:
    using FJob = std::function<void(CSimWorker &)>;

    // Runs job on the worker; false when there is no worker or the job did
    // not finish within timeoutMs (it may still run later).
    bool Run(FJob job, int timeoutMs);

    // Worker side: the worker announces itself, runs what is queued and
    // leaves before it is destroyed.
    void Attach(CSimWorker *worker);
    void Detach();
    bool WaitAttached(int timeoutMs);
    void RunPending(CSimWorker &worker);

private:
    struct CJob
    {
        FJob m_job;
        bool m_done = false;
    };

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<CJob>> m_jobs;
    CSimWorker *m_pWorker = nullptr;
    bool m_attached = false;
};

// Lives on CSimNetwork's worker thread and owns everything with a socket.
// Its methods run only on that thread, as jobs from CSimJobQueue.
class CSimWorker : public QObject
{
    Q_OBJECT

public:
    CSimWorker(CSimRegistry &registry, CSimJobQueue &jobs) : m_registry(registry), m_jobs(jobs) {}

    // Runs the queued jobs; CSimJobQueue posts the call.
    Q_INVOKABLE void RunJobs();

    // Binds every port; returns one line per failure, empty when all is well.
    QStringList StartPlayers(const QList<CSimPlayerConfig> &players);
    void ApplyListening(const QString &address);

private:
    CSimRegistry &m_registry;
    CSimJobQueue &m_jobs;
    CSimProbeListener *m_pProbes = nullptr;
    QHash<QString, CSimPlayer *> m_players;
};

// The thread every player lives on. run() creates the worker on this
// thread, serves its event loop and destroys it (closing every socket)
// before the thread ends.
class CSimWorkerThread : public QThread
{
    Q_OBJECT

public:
    CSimWorkerThread(CSimRegistry &registry, CSimJobQueue &jobs)
        : m_registry(registry), m_jobs(jobs)
    {}

    // Whether run() has returned. QThread::wait() synchronises inside Qt,
    // where race checkers cannot see it; this makes the end explicit.
    bool HasEnded() const { return m_ended.load(std::memory_order_acquire); }

protected:
    void run() override;

private:
    CSimRegistry &m_registry;
    CSimJobQueue &m_jobs;
    std::atomic<bool> m_ended{false};
};
