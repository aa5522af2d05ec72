#pragma once

// Hand-overs between threads that the race checker cannot see by itself.
//
// Qt is not built with ThreadSanitizer, so the locks and futexes behind
// QCoreApplication::postEvent and QThread::wait are invisible to it: an
// object built on one thread and read on another after a posted event or a
// thread's end looks like a race. At each such hand-over the giving side calls
// Release(object) and the taking side Acquire(object), which tells the checker
// that everything before the release happens before everything after the
// acquire. In every other build all of it compiles to nothing.
//
// The hand-overs, and where each is marked:
// - a posted message: CPostedMessage::Post releases it, Qt's delivery of any
//   event acquires it (the hook below), its destructor acquires it too;
// - a thread's end: ReleaseAtEnd(thread) before start(), AcquireEnded(thread)
//   once wait() has returned;
// - a closure queued to another thread's object: Handed(closure).

#if defined(__SANITIZE_THREAD__)
#define KESTAVON_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define KESTAVON_THREAD_SANITIZER 1
#endif
#endif

#include <utility>

#ifdef KESTAVON_THREAD_SANITIZER
#include <QObject>
#include <QThread>
#include <QtCore/qnamespace.h>
#include <sanitizer/tsan_interface.h>
#else
class QThread;
#endif

namespace ThreadHandover {

inline void Release(const void *object)
{
#ifdef KESTAVON_THREAD_SANITIZER
    __tsan_release(const_cast<void *>(object));
#else
    (void)object;
#endif
}

inline void Acquire(const void *object)
{
#ifdef KESTAVON_THREAD_SANITIZER
    __tsan_acquire(const_cast<void *>(object));
#else
    (void)object;
#endif
}

#ifdef KESTAVON_THREAD_SANITIZER
// Deleted by Qt as the very last of our code on a finishing thread: deferred
// deletions run after every handler of QThread::finished, and after Qt has
// read the thread object (its moc metaObject()) to queue those handlers.
class CEndOfThreadRelease : public QObject
{
public:
    explicit CEndOfThreadRelease(const QThread *thread) : m_pThread(thread) {}
    ~CEndOfThreadRelease() override { Release(m_pThread); }

private:
    const QThread *m_pThread;
};
#endif

// Call before thread->start(): the thread releases itself as it ends, after
// the steps of Qt's own end of the thread that still run our code.
inline void ReleaseAtEnd(QThread *thread)
{
#ifdef KESTAVON_THREAD_SANITIZER
    QObject::connect(
        thread, &QThread::finished, thread,
        [thread] { (new CEndOfThreadRelease(thread))->deleteLater(); }, Qt::DirectConnection);
#else
    (void)thread;
#endif
}

// Call once thread->wait() has returned, before the thread object or
// anything the thread wrote is touched.
inline void AcquireEnded(const QThread *thread)
{
    Acquire(thread);
}

#ifdef KESTAVON_THREAD_SANITIZER
// A closure for QMetaObject::invokeMethod with Qt::QueuedConnection. Qt moves
// it into a slot object it allocates, posts that and calls it on the other
// thread: the closure releases itself once it sits complete in the slot
// object, and acquires itself before it runs or is destroyed there.
template <typename F> class CHandedCall
{
public:
    explicit CHandedCall(F call) : m_call(std::move(call)) { Release(this); }
    CHandedCall(CHandedCall &&other) noexcept : m_call(std::move(other.m_call)) { Release(this); }
    CHandedCall(const CHandedCall &other) : m_call(other.m_call) { Release(this); }
    CHandedCall &operator=(const CHandedCall &) = delete;
    CHandedCall &operator=(CHandedCall &&) = delete;
    ~CHandedCall() { Acquire(this); }

    void operator()()
    {
        Acquire(this);
        m_call();
    }

private:
    F m_call;
};
#endif

// Wraps a closure queued to an object of another thread.
template <typename F> auto Handed(F call)
{
#ifdef KESTAVON_THREAD_SANITIZER
    return CHandedCall<F>(std::move(call));
#else
    return call;
#endif
}

#ifdef KESTAVON_THREAD_SANITIZER
// Every event is taken over by the thread it is delivered on, before any
// event filter or handler reads it; a posted event's sender released it.
// Qt calls this hook first thing for each delivery.
inline bool AcquireDeliveredEvent(void **data)
{
    Acquire(data[1]);
    return false;
}

// Installed while the program is still single-threaded (static
// initialisation), since Qt's list of hooks has no lock of its own.
inline const bool g_bDeliveryHookInstalled =
    QInternal::registerCallback(QInternal::EventNotifyCallback, AcquireDeliveredEvent);
#endif

} // namespace ThreadHandover
