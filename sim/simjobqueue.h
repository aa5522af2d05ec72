#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

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
