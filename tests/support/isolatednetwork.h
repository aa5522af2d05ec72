#pragma once

#include <QCoreApplication>
#include <QTest>

namespace KestavonTest {

// Ends the process unless the only interface that is up is loopback. The tests
// sweep whole subnets and open the players' fixed ports; outside an isolated
// namespace that traffic could reach a real network.
void RequireIsolatedNetwork();

} // namespace KestavonTest

// Like QTEST_GUILESS_MAIN, with the isolation check before any test runs.
#define KESTAVON_TEST_MAIN(TestObject)                                                             \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        QCoreApplication app(argc, argv);                                                          \
        KestavonTest::RequireIsolatedNetwork();                                                    \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
