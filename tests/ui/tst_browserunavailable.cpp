#include <QLabel>
#include <QLibraryInfo>
#include <QTemporaryFile>
#include <QTest>

#include "browserloader.h"
#include "mainwindowfixture.h"
#include "uitestmain.h"

// Without its browser library the tool still works: the web page view says
// why it shows no page, and players with a device page are served as ever.
class TestBrowserUnavailable : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void webPageViewSaysWhyAndTheRestWorks_data();
    void webPageViewSaysWhyAndTheRestWorks();
};

void TestBrowserUnavailable::cleanup()
{
    CBrowserLoader::SetLibraryPath(QStringLiteral(KESTAVON_BROWSER_LIBRARY));
}

void TestBrowserUnavailable::webPageViewSaysWhyAndTheRestWorks_data()
{
    QTest::addColumn<QString>("library");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << QStringLiteral("/nonexistent/kestavon-setup-browser.so")
                             << QStringLiteral("not found");
    QTest::newRow("not a library") << QString() << QString();
    QTest::newRow("another plugin") << QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                                           QStringLiteral("/iconengines/libqsvgicon.so")
                                    << QStringLiteral("is not Kestavon Setup's browser library");
}

void TestBrowserUnavailable::webPageViewSaysWhyAndTheRestWorks()
{
    QFETCH(QString, library);
    QFETCH(QString, reason);
    QTemporaryFile text;
    if (library.isEmpty()) {
        QVERIFY(text.open());
        text.write("not a library\n");
        text.close();
        library = text.fileName();
    }
    CBrowserLoader::SetLibraryPath(library);

    CMainWindowFixture fixture;
    QString error;
    QVERIFY2(fixture.Start(
                 {CMainWindowFixture::Player(QStringLiteral("127.0.0.5"), QStringLiteral("KS-100"),
                                             QStringLiteral("Hall")),
                  CMainWindowFixture::Player(QStringLiteral("127.0.0.2"), QStringLiteral("KS-210"),
                                             QStringLiteral("Living Room"))},
                 &error),
             qPrintable(error));
    QVERIFY(fixture.WaitForDevices(2));

    QVERIFY(fixture.SelectAndWaitForPage(QStringLiteral("Hall"), false));
    CExplorer1 &explorer = fixture.Window().WebView().Explorer();
    QVERIFY(!explorer.View());
    QLabel *why = explorer.Unavailable();
    QVERIFY(why->isVisible());
    QVERIFY(why->text().contains(QStringLiteral("the browser could not be loaded")));
    QVERIFY2(why->text().contains(reason), qPrintable(why->text()));
    QVERIFY2(why->text().contains(library), qPrintable(why->text()));

    // The next player with a device page is shown and read as ever.
    QVERIFY(fixture.SelectAndWaitForPage(QStringLiteral("Living Room"), true));
    QVERIFY(!fixture.Window().WebView().isVisible());
    QVERIFY(fixture.Network().WaitForRequests(QStringLiteral("127.0.0.2"), 3,
                                              CMainWindowFixture::WAIT_MS));

    // Another visit tries again and says so again; nothing is left half made.
    QVERIFY(fixture.SelectAndWaitForPage(QStringLiteral("Hall"), false));
    QVERIFY(!explorer.View());
    QVERIFY(why->isVisible());
}

KESTAVON_UI_TEST_MAIN(TestBrowserUnavailable)
#include "tst_browserunavailable.moc"
