#include "simworker.h"

#include <chrono>

#include <QMetaObject>

#include "simplayer.h"
#include "simprobelistener.h"

namespace {

std::chrono::steady_clock::time_point Deadline(int timeoutMs)
{
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(qMax(0, timeoutMs));
}

} // namespace

bool CSimJobQueue::Run(FJob job, int timeoutMs)
{
    auto entry = std::make_shared<CJob>();
    entry->m_job = std::move(job);
    std::unique_lock lock(m_mutex);
    if (!m_pWorker)
        return false;
    m_jobs.push_back(entry);
    // Only a wake-up goes through Qt; the job itself waits here. Posted under
    // the lock, so the worker cannot be destroyed meanwhile (it detaches first).
    QMetaObject::invokeMethod(m_pWorker, "RunJobs", Qt::QueuedConnection);
    m_changed.wait_until(lock, Deadline(timeoutMs), [&] { return entry->m_done || !m_pWorker; });
    return entry->m_done;
}

void CSimJobQueue::Attach(CSimWorker *worker)
{
    const std::lock_guard lock(m_mutex);
    m_pWorker = worker;
    m_attached = true;
    m_changed.notify_all();
}

void CSimJobQueue::Detach()
{
    const std::lock_guard lock(m_mutex);
    m_pWorker = nullptr;
    m_jobs.clear();
    m_changed.notify_all();
}

bool CSimJobQueue::WaitAttached(int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_until(lock, Deadline(timeoutMs), [this] { return m_attached; });
}

void CSimJobQueue::RunPending(CSimWorker &worker)
{
    std::deque<std::shared_ptr<CJob>> jobs;
    {
        const std::lock_guard lock(m_mutex);
        jobs.swap(m_jobs);
    }
    for (const auto &entry : jobs) {
        entry->m_job(worker);
        const std::lock_guard lock(m_mutex);
        entry->m_done = true;
        m_changed.notify_all();
    }
}

void CSimWorker::RunJobs()
{
    m_jobs.RunPending(*this);
}

QStringList CSimWorker::StartPlayers(const QList<CSimPlayerConfig> &players)
{
    QStringList errors;
    QString error;
    m_pProbes = new CSimProbeListener(this);
    if (!m_pProbes->Listen(&error))
        errors << QStringLiteral("probe port: %1").arg(error);
    for (const CSimPlayerConfig &config : players) {
        auto *player = new CSimPlayer(m_registry, config.m_strAddress, this);
        m_players.insert(config.m_strAddress, player);
        m_pProbes->AddPlayer(config.m_strAddress, [player](bool valid, const QHostAddress &sender) {
            player->OnProbe(valid, sender);
        });
        player->SetAddressClaim([this](const QHostAddress &from, const QHostAddress &to) {
            return m_pProbes->MovePlayer(from, to);
        });
        if (!player->Start(&error))
            errors << QStringLiteral("%1: %2").arg(config.m_strAddress, error);
    }
    return errors;
}

void CSimWorker::ApplyListening(const QString &address)
{
    if (CSimPlayer *player = m_players.value(address))
        player->ApplyListening();
}

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
