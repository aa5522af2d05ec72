#include "isolatednetwork.h"

#include <cstdio>
#include <cstdlib>

#include <QNetworkInterface>

namespace KestavonTest {

void RequireIsolatedNetwork()
{
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : interfaces) {
        const bool up = iface.flags().testFlag(QNetworkInterface::IsUp);
        if (up && iface.type() != QNetworkInterface::Loopback) {
            std::fprintf(stderr,
                         "refusing to run: interface %s is up; run the tests through "
                         "scripts/netns-run or scripts/test\n",
                         qPrintable(iface.name()));
            std::exit(EXIT_FAILURE);
        }
    }
}

} // namespace KestavonTest
