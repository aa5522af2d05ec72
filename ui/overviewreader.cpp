#include "overviewreader.h"

#include <atomic>
#include <mutex>

#include <QThreadPool>

#include "playertask.h"
#include "playerrequest.h"
#include "playersession.h"
#include "threadhandover.h"

namespace {

// One pool for the process, never destroyed: a worker stuck on a silent
// player must not hold up the closing of a window until its time-outs run
// out; it ends on its own, and what it reads then goes nowhere.
QThreadPool *Pool()
{
    static QThreadPool *const pool = [] {
        auto *created = new QThreadPool;
        created->setMaxThreadCount(COverviewReader::MAX_PARALLEL);
        return created;
    }();
    return pool;
}

} // namespace

// What the reader and its workers share; a worker may outlive the reader.
class COverviewReader::CShared
{
public:
    explicit CShared(COverviewReader *receiver) : m_pReceiver(receiver) {}

    void Close()
    {
        std::lock_guard lock(m_mutex);
        m_pReceiver = nullptr;
    }

    bool IsWanted(int generation)
    {
        std::lock_guard lock(m_mutex);
        return m_pReceiver && m_nGeneration == generation;
    }

    void SetGeneration(int generation)
    {
        std::lock_guard lock(m_mutex);
        m_nGeneration = generation;
    }

    // Posted under the lock, so the receiver cannot go between the look and
    // the posting; a posted call to a receiver deleted since is discarded.
    void Deliver(int generation, const QString &key, const CPlayerResult &result)
    {
        std::lock_guard lock(m_mutex);
        COverviewReader *receiver = m_pReceiver;
        if (!receiver)
            return;
        QMetaObject::invokeMethod(receiver,
                                  ThreadHandover::Handed([receiver, generation, key, result] {
                                      emit receiver->Done(generation, key, result);
                                  }),
                                  Qt::QueuedConnection);
    }

private:
    std::mutex m_mutex;
    COverviewReader *m_pReceiver;
    int m_nGeneration = 0;
};

COverviewReader::COverviewReader(QObject *parent)
    : QObject(parent), m_pShared(std::make_shared<CShared>(this))
{}

COverviewReader::~COverviewReader()
{
    m_pShared->Close();
}

void COverviewReader::SetGeneration(int generation)
{
    m_pShared->SetGeneration(generation);
}

void COverviewReader::Read(int generation, const QString &key, const QString &ip)
{
    // Handed over through the pool's own lock, which the race checker
    // cannot see.
    Pool()->start(ThreadHandover::Handed([shared = m_pShared, generation, key, ip] {
        if (!shared->IsWanted(generation))
            return;
        CPlayerRequest request;
        request.m_command = EPlayerCommand::Inventory;
        CPlayerResult result;
        {
            // Created on this worker: its sockets belong to this thread.
            CPlayerSession session;
            result = CPlayerTask(request).Run(session, ip);
        }
        shared->Deliver(generation, key, result);
    }));
}
