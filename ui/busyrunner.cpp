#include "busyrunner.h"

#include <mutex>

#include <QCoreApplication>
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>

#include "threadhandover.h"

namespace {

// Serialises the operations themselves; the user-interface thread never takes
// it, so waiting for it can never hold up painting.
QMutex &WorkLock()
{
    static QMutex lock;
    return lock;
}

// Swallows the user's clicks and keys while an operation runs. Holding them
// back until the operation is over would be worse: they were aimed at what the
// window showed before, and a refresh or a selection changes that (a click on
// a player's line would land on whichever player the new search put there).
class CInputDropper : public QObject
{
public:
    CInputDropper() { QCoreApplication::instance()->installEventFilter(this); }
    ~CInputDropper() override { QCoreApplication::instance()->removeEventFilter(this); }
    CInputDropper(const CInputDropper &) = delete;
    CInputDropper &operator=(const CInputDropper &) = delete;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        return IsUserInput(event->type()) || QObject::eventFilter(watched, event);
    }

private:
    static bool IsUserInput(QEvent::Type type)
    {
        switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
            return true;
        default:
            return false;
        }
    }
};

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
    int result = 0;
    QEventLoop loop;
    QThread *worker = QThread::create([&work, &result] {
        QMutexLocker locker(&WorkLock());
        result = work();
    });
    // The result, and everything the work wrote into the manager, is handed
    // back by the worker's end.
    ThreadHandover::ReleaseAtEnd(worker);
    // Queued: the thread ends on its own thread; quitting must happen inside
    // exec() below, even if the work is over before exec() starts.
    QObject::connect(worker, &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    worker->start();
    {
        // Input is handled, and so dropped, as it comes; excluding it from the
        // loop instead would only postpone it.
        const CInputDropper dropper;
        loop.exec();
    }
    // finished has been emitted: the thread is leaving run() and wait()
    // returns at once.
    worker->wait();
    ThreadHandover::AcquireEnded(worker);
    delete worker;
    return result;
}
