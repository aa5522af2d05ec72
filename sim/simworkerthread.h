#pragma once

#include <atomic>

#include <QThread>

class CSimJobQueue;
class CSimRegistry;

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
