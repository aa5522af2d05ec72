#include "simhost.h"

#include <sys/resource.h>

#include <QNetworkInterface>

namespace SimHost {

bool OnlyLoopbackIsUp(QString *offending)
{
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : interfaces) {
        const bool up = iface.flags().testFlag(QNetworkInterface::IsUp);
        if (up && iface.type() != QNetworkInterface::Loopback) {
            if (offending)
                *offending = iface.name();
            return false;
        }
    }
    return true;
}

void RaiseFileLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max)
        return;
    limit.rlim_cur = limit.rlim_max;
    if (setrlimit(RLIMIT_NOFILE, &limit) != 0)
        qWarning("could not raise the open-file limit");
}

} // namespace SimHost
