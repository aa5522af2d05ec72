// Linked into every program of a ThreadSanitizer build, and only there.
//
// QProcess starts a child with clone(CLONE_VM | CLONE_VFORK): until it execs,
// the child shares the parent's memory. The race checker's own clone()
// handles every child as a fork and, in the child, marks the process as
// forked while multi-threaded and the thread as ignoring every access and
// lock; in shared memory those marks land in the parent. The parent then dies
// at its next new thread, or misses its own locks and reports races that are
// none. A child that execs straight away needs none of the parent's memory,
// so it gets a copy of its own, which the checker handles correctly.

#include <cstdarg>

#include <dlfcn.h>
#include <sched.h>
#include <sys/types.h>

extern "C" int clone(int (*function)(void *), void *stack, int flags, void *argument, ...)
{
    va_list rest;
    va_start(rest, argument);
    auto *parentTid = va_arg(rest, pid_t *);
    void *tls = va_arg(rest, void *);
    auto *childTid = va_arg(rest, pid_t *);
    va_end(rest);
    using Clone = int (*)(int (*)(void *), void *, int, void *, ...);
    // The checker's clone(), which goes on to the C library's.
    static const auto checkedClone = reinterpret_cast<Clone>(dlsym(RTLD_NEXT, "clone"));
    constexpr int vforkFlags = CLONE_VM | CLONE_VFORK;
    if ((flags & vforkFlags) == vforkFlags)
        flags &= ~CLONE_VM;
    return checkedClone(function, stack, flags, argument, parentTid, tls, childTid);
}
