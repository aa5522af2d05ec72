#pragma once

// Hand-overs between threads that the race checker cannot see by itself.
//
// Qt is not built with ThreadSanitizer, so the locks and futexes behind
// QCoreApplication::postEvent and QThread::wait are invisible to it: an
// object built on one thread and read on another after a posted event or a
// thread's end looks like a race. At each such hand-over the giving side calls
// Release(object) and the taking side Acquire(object), which tells the checker
// that everything before the release happens before everything after the
// acquire. In every other build both compile to nothing.

#if defined(__SANITIZE_THREAD__)
#define KESTAVON_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define KESTAVON_THREAD_SANITIZER 1
#endif
#endif

#ifdef KESTAVON_THREAD_SANITIZER
#include <QThread>
#include <QtCore/qnamespace.h>
#include <sanitizer/tsan_interface.h>
#endif

class QThread;

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

// Releases a thread object on its own thread as the thread finishes, after
// our last code there; whoever deletes it acquires it first.
inline void ReleaseWhenFinished(QThread *thread)
{
#ifdef KESTAVON_THREAD_SANITIZER
    QObject::connect(
        thread, &QThread::finished, thread, [thread] { Release(thread); }, Qt::DirectConnection);
#else
    (void)thread;
#endif
}

// Releases an object when a scope is left, on every path out of a thread's
// run().
class CReleaseAtExit
{
public:
    explicit CReleaseAtExit(const void *object) : m_pObject(object) {}
    ~CReleaseAtExit() { Release(m_pObject); }
    CReleaseAtExit(const CReleaseAtExit &) = delete;
    CReleaseAtExit &operator=(const CReleaseAtExit &) = delete;

private:
    const void *m_pObject;
};

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
