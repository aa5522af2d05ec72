#include "busyload.h"

#include <csignal>

#include <sys/wait.h>
#include <unistd.h>

CBusyLoad::CBusyLoad(int processes)
{
    for (int i = 0; i < processes; ++i) {
        const pid_t child = ::fork();
        if (child == 0) {
            // The child touches nothing of the parent's: it only spins.
            volatile unsigned long spins = 0;
            for (;;)
                spins = spins + 1;
        }
        if (child > 0)
            m_children.push_back(child);
    }
}

CBusyLoad::~CBusyLoad()
{
    for (const pid_t child : m_children)
        ::kill(child, SIGKILL);
    for (const pid_t child : m_children)
        ::waitpid(child, nullptr, 0);
}
