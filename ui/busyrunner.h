#pragma once

#include <functional>

#include <QObject>

// Runs one blocking operation of the manager (a refresh, a selection, a
// device command) so that the windows stay alive meanwhile.
//
// The device commands are synchronous: blocking sockets bounded by their own
// time-outs, and a refresh sleeps up to about ten seconds between polls. Run
// on the user-interface thread, they would freeze painting and make the
// window manager offer to kill the tool. So the operation runs on a worker
// thread of its own, while the user-interface thread spins a local event loop
// that handles everything except user input: windows repaint, timers fire,
// and clicks and keys given meanwhile are dropped, not replayed afterwards on
// a window that has changed under them. The wait cursor shows meanwhile. The local loop ends only
// when the operation returns; there is no time-out of its own, because every operation is bounded
// by its sockets' and sleeps' time-outs.
//
// Only one operation touches the manager at a time: the user-interface thread
// does not call the manager while busy (the main window defers the messages
// that would, see CMessageDeferral), and operations themselves run one after
// the other under a lock, even if one were started from inside another's wait.
class CBusyRunner : public QObject
{
    Q_OBJECT

public:
    using Work = std::function<int()>;

    // Runs work and returns its result. Call it on the user-interface thread;
    // elsewhere work simply runs in place.
    static int Run(const Work &work);
    static bool IsBusy();
    // Emits Idle() when the outermost operation has ended.
    static CBusyRunner *Instance();

signals:
    // On the user-interface thread, once no operation runs any more.
    void Idle();

private:
    CBusyRunner() = default;
    static int RunOnWorker(const Work &work);

    int m_nDepth = 0;
};
