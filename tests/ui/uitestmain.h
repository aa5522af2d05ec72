#pragma once

#include <unistd.h>

#include <QApplication>
#include <QTest>

#include "isolatednetwork.h"

// Like KESTAVON_TEST_MAIN, for tests that need widgets: a QApplication, set
// up as the tool sets itself up for its browser, and the same isolation check
// before any test runs.
#define KESTAVON_UI_TEST_MAIN(TestObject)                                                          \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);                                \
        if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))           \
            qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");                                           \
        QApplication app(argc, argv);                                                              \
        KestavonTest::RequireIsolatedNetwork();                                                    \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
