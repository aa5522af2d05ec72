#include "simworkerthread.h"

#include "simjobqueue.h"
#include "simworker.h"

void CSimWorkerThread::run()
{
    {
        CSimWorker worker(m_registry, m_jobs);
        m_jobs.Attach(&worker);
        exec();
        m_jobs.Detach();
    }
    m_ended.store(true, std::memory_order_release);
}
