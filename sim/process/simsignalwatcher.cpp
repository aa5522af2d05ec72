#include "simsignalwatcher.h"

#include <csignal>

#include <sys/socket.h>
#include <unistd.h>

namespace {

// [0] is written by the handler, [1] is watched by the event loop.
int g_pipe[2] = {-1, -1};

} // namespace

CSimSignalWatcher::CSimSignalWatcher(QObject *parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0)
        return;
    m_pNotifier = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        static_cast<void>(::read(g_pipe[1], &byte, sizeof byte));
        emit Stopping();
    });
    struct sigaction action
    {
    };
    action.sa_handler = &CSimSignalWatcher::Handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

CSimSignalWatcher::~CSimSignalWatcher()
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    delete m_pNotifier;
    for (int &fd : g_pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void CSimSignalWatcher::Handle(int)
{
    const char byte = 1;
    static_cast<void>(::write(g_pipe[0], &byte, sizeof byte));
}
