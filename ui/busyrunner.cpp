#include "busyrunner.h"

#include <mutex>

#include <QCoreApplication>
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>

namespace {

// Serialises the operations themselves; the user-interface thread never takes
// it, so waiting for it can never hold up painting.
QMutex &WorkLock()
{
    static QMutex lock;
    return lock;
}

bool OnUserInterfaceThread()
{
    return QCoreApplication::instance() &&
           QThread::currentThread() == QCoreApplication::instance()->thread();
}

} // namespace

CBusyRunner *CBusyRunner::Instance()
{
    static CBusyRunner *instance = new CBusyRunner();
    return instance;
}

bool CBusyRunner::IsBusy()
{
    return Instance()->m_nDepth > 0;
}

int CBusyRunner::Run(const Work &work)
{
    if (!OnUserInterfaceThread())
        return work();

    CBusyRunner *self = Instance();
    ++self->m_nDepth;
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    const int result = RunOnWorker(work);
    QGuiApplication::restoreOverrideCursor();
    if (--self->m_nDepth == 0)
        emit self->Idle();
    return result;
}

int CBusyRunner::RunOnWorker(const Work &work)
{
    // The result, and everything the work wrote into the manager, is handed
    // back through a standard lock: QThread's own hand-over is correct but
    // invisible to race checkers, which then flag every field read afterwards.
    struct CHandOver
    {
        std::mutex lock;
        int result = 0;
    } handOver;
    QEventLoop loop;
    QThread *worker = QThread::create([&work, &handOver] {
        QMutexLocker locker(&WorkLock());
        const int result = work();
        std::lock_guard<std::mutex> done(handOver.lock);
        handOver.result = result;
    });
    // Queued: the thread ends on its own thread; quitting must happen inside
    // exec() below, even if the work is over before exec() starts.
    QObject::connect(worker, &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    worker->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    // finished has been emitted: the thread is leaving run() and wait()
    // returns at once.
    worker->wait();
    delete worker;
    std::lock_guard<std::mutex> taken(handOver.lock);
    return handOver.result;
}
