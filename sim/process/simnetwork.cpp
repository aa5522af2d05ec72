#include "simnetwork.h"

#include <QDeadlineTimer>
#include <QSet>

#include "simhost.h"
#include "simlimits.h"
#include "simregistry.h"
#include "simworker.h"

namespace {

// Empty when every address is a player address and none repeats.
QString CheckAddresses(const QList<CSimPlayerConfig> &players)
{
    QSet<QString> seen;
    for (const CSimPlayerConfig &player : players) {
        if (!CSimPlayerConfig::IsPlayerAddress(player.m_strAddress))
            return QStringLiteral("not a player address: \"%1\"").arg(player.m_strAddress);
        if (seen.contains(player.m_strAddress))
            return QStringLiteral("address used twice: %1").arg(player.m_strAddress);
        seen.insert(player.m_strAddress);
    }
    return {};
}

} // namespace

CSimNetwork::CSimNetwork(QObject *parent)
    : QObject(parent), m_pRegistry(std::make_unique<CSimRegistry>())
{}

CSimNetwork::~CSimNetwork()
{
    Stop();
}

bool CSimNetwork::Start(const QList<CSimPlayerConfig> &players, QString *error)
{
    Stop();
    QString problem = CheckAddresses(players);
    if (problem.isEmpty()) {
        SimHost::RaiseFileLimit();
        m_pRegistry->Reset(players);
        m_pJobs = std::make_unique<CSimJobQueue>();
        m_pThread = std::make_unique<CSimWorkerThread>(*m_pRegistry, *m_pJobs);
        m_pThread->setObjectName(QStringLiteral("kestavon-sim"));
        m_pThread->start();
        auto failures = std::make_shared<QStringList>();
        const bool done =
            m_pJobs->WaitAttached(SimLimits::kWorkerTimeoutMs) &&
            RunOnWorker([failures,
                         players](CSimWorker &worker) { *failures = worker.StartPlayers(players); },
                        SimLimits::kWorkerTimeoutMs);
        problem = done ? failures->join(QLatin1Char('\n'))
                       : QStringLiteral("the players did not start in time");
    }
    if (!problem.isEmpty()) {
        Stop();
        if (error)
            *error = problem;
        return false;
    }
    for (const CSimPlayerConfig &player : players)
        m_addresses << player.m_strAddress;
    return true;
}

void CSimNetwork::Stop()
{
    if (!m_pThread)
        return;
    // Ending the thread's event loop destroys the worker, and every socket with it.
    m_pThread->quit();
    if (m_pThread->wait(QDeadlineTimer(SimLimits::kWorkerTimeoutMs)) && m_pThread->HasEnded()) {
        m_pThread.reset();
        m_pJobs.reset();
    } else {
        // Destroying a running QThread would end the process; leave it be,
        // with everything it still uses.
        qWarning("simulated players did not stop in time");
        static_cast<void>(m_pThread.release());
        static_cast<void>(m_pJobs.release());
        const int unreachableMs = m_pRegistry->UnreachableMs();
        static_cast<void>(m_pRegistry.release());
        m_pRegistry = std::make_unique<CSimRegistry>();
        m_pRegistry->SetUnreachableMs(unreachableMs);
    }
    m_addresses.clear();
}

bool CSimNetwork::IsRunning() const
{
    return m_pThread != nullptr;
}

QStringList CSimNetwork::Addresses() const
{
    return m_addresses;
}

// A state crossing the lock gets lists of its own while the lock is held. Qt
// copies a shared list before writing to it, but decides so from a reference
// count it reads without ordering: once the other thread drops its copy, the
// worker may write in place with nothing ordering that write after the other
// thread's last read of the list.
CSimPlayerState CSimNetwork::State(const QString &ip) const
{
    return m_pRegistry->Read(ip, [](const CSimPlayerRecord &record) {
        CSimPlayerState state = record.m_state;
        state.DetachLists();
        return state;
    });
}

void CSimNetwork::SetState(const QString &ip, const CSimPlayerState &state)
{
    m_pRegistry->Update(ip, [&state](CSimPlayerRecord &record) {
        record.m_state = state;
        record.m_state.DetachLists();
    });
}

void CSimNetwork::SetFault(const QString &ip, const CSimFault &fault)
{
    m_pRegistry->AddFault(ip, fault);
    RunOnWorker([ip](CSimWorker &worker) { worker.ApplyListening(ip); },
                SimLimits::kWorkerTimeoutMs);
}

void CSimNetwork::ClearFaults(const QString &ip)
{
    m_pRegistry->Update(ip, [](CSimPlayerRecord &record) { record.m_faults.clear(); });
    RunOnWorker([ip](CSimWorker &worker) { worker.ApplyListening(ip); },
                SimLimits::kWorkerTimeoutMs);
}

QList<QByteArray> CSimNetwork::ReceivedRequests(const QString &ip) const
{
    return m_pRegistry->Read(ip, [](const CSimPlayerRecord &record) { return record.m_requests; });
}

bool CSimNetwork::WaitForRequests(const QString &ip, int count, int timeoutMs) const
{
    return m_pRegistry->WaitUntil(ip, timeoutMs, [count](const CSimPlayerRecord &record) {
        return record.m_requests.size() >= count;
    });
}

QList<CSimDownload> CSimNetwork::Downloads(const QString &ip) const
{
    return m_pRegistry->Read(ip, [](const CSimPlayerRecord &record) { return record.m_downloads; });
}

bool CSimNetwork::WaitForDownload(const QString &ip, int timeoutMs, int count) const
{
    return m_pRegistry->WaitUntil(ip, timeoutMs, [count](const CSimPlayerRecord &record) {
        return record.m_downloads.size() >= count;
    });
}

int CSimNetwork::ProbesReceived(const QString &ip) const
{
    return m_pRegistry->Read(ip, [](const CSimPlayerRecord &record) { return record.m_probes; });
}

int CSimNetwork::InvalidProbesReceived(const QString &ip) const
{
    return m_pRegistry->Read(ip,
                             [](const CSimPlayerRecord &record) { return record.m_invalidProbes; });
}

bool CSimNetwork::WaitForProbes(const QString &ip, int count, int timeoutMs) const
{
    return m_pRegistry->WaitUntil(ip, timeoutMs, [count](const CSimPlayerRecord &record) {
        return record.m_probes + record.m_invalidProbes >= count;
    });
}

bool CSimNetwork::IsReachable(const QString &ip) const
{
    return m_pRegistry->Read(ip, [](const CSimPlayerRecord &record) { return record.m_reachable; });
}

bool CSimNetwork::WaitUntilReachable(const QString &ip, int timeoutMs) const
{
    return m_pRegistry->WaitUntil(
        ip, timeoutMs, [](const CSimPlayerRecord &record) { return record.m_reachable; });
}

QString CSimNetwork::CurrentAddress(const QString &ip) const
{
    return m_pRegistry->Read(ip,
                             [](const CSimPlayerRecord &record) { return record.m_strAddress; });
}

void CSimNetwork::SetUnreachableTime(int ms)
{
    m_pRegistry->SetUnreachableMs(ms);
}

bool CSimNetwork::RunOnWorker(const std::function<void(CSimWorker &)> &job, int timeoutMs) const
{
    return m_pJobs && m_pJobs->Run(job, timeoutMs);
}
