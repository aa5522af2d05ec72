#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include "browserloader.h"
#include "halvorinsetup101app.h"
#include "isolatednetwork.h"

// Like KESTAVON_TEST_MAIN, for tests that need widgets: a QApplication, set
// up as the tool sets itself up for its browser (whose library is the one
// built with the tests), and the same isolation check before any test runs.
// The windows remember their sizes in a configuration folder of the run's
// own, and the players seen in a data folder of its own, never the user's.
#define KESTAVON_UI_TEST_MAIN(TestObject)                                                          \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        const QTemporaryDir configuration;                                                         \
        qputenv("XDG_CONFIG_HOME", configuration.path().toLocal8Bit());                            \
        const QTemporaryDir data;                                                                  \
        qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());                                       \
        CHalvorinSetup101App::PrepareEnvironment(argc, argv);                                      \
        QApplication app(argc, argv);                                                              \
        CBrowserLoader::SetLibraryPath(QStringLiteral(KESTAVON_BROWSER_LIBRARY));                  \
        KestavonTest::RequireIsolatedNetwork();                                                    \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
