#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>

#include "mainwindowfixture.h"
#include "uitestmain.h"

// The web page view in front of simulated players of classes 0 and 1, whose
// web pages are titled with their name and model.
class TestSetupWebView : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void browserIsMadeOnTheFirstVisitAndFillsThePage();
    void showsThePlayersOwnPage();
    void choosingAPlayerAgainLoadsItsPageAgain();
    void enterInsideThePageClosesNothing();

private:
    CSetupWebView &View() { return m_pFixture->Window().WebView(); }
    bool WaitForTitle(const QString &title);

    std::unique_ptr<CMainWindowFixture> m_pFixture;
};

namespace {

constexpr int WAIT_MS = CMainWindowFixture::WAIT_MS;

} // namespace

void TestSetupWebView::init()
{
    m_pFixture = std::make_unique<CMainWindowFixture>();
    const QList<CSimPlayerConfig> players = {
        CMainWindowFixture::Player(QStringLiteral("127.0.0.5"), QStringLiteral("KS-100"),
                                   QStringLiteral("Hall")),
        CMainWindowFixture::Player(QStringLiteral("127.0.0.6"), QStringLiteral("KS-200"),
                                   QStringLiteral("Porch"))};
    QString error;
    QVERIFY2(m_pFixture->Start(players, &error), qPrintable(error));
    QVERIFY(m_pFixture->WaitForDevices(2));
}

void TestSetupWebView::cleanup()
{
    m_pFixture.reset();
}

bool TestSetupWebView::WaitForTitle(const QString &title)
{
    QWebEngineView *browser = View().Explorer().View();
    return browser &&
           QTest::qWaitFor([browser, title] { return browser->title() == title; }, WAIT_MS);
}

void TestSetupWebView::browserIsMadeOnTheFirstVisitAndFillsThePage()
{
    QVERIFY(!View().Explorer().View());
    QVERIFY(m_pFixture->SelectAndWaitForPage(QStringLiteral("Hall"), false));
    QVERIFY(View().Explorer().View());
    QCOMPARE(View().Explorer().geometry(), View().rect());
    QTRY_COMPARE_WITH_TIMEOUT(View().Explorer().View()->geometry(), View().rect(), WAIT_MS);
}

void TestSetupWebView::showsThePlayersOwnPage()
{
    QVERIFY(m_pFixture->SelectAndWaitForPage(QStringLiteral("Hall"), false));
    QCOMPARE(View().Explorer().LocationUrl(), QUrl(QStringLiteral("http://127.0.0.5")));
    QVERIFY(WaitForTitle(QStringLiteral("Hall (KS-100)")));
    QCOMPARE(View().Explorer().View()->url(), QUrl(QStringLiteral("http://127.0.0.5/")));
}

void TestSetupWebView::choosingAPlayerAgainLoadsItsPageAgain()
{
    QVERIFY(m_pFixture->SelectAndWaitForPage(QStringLiteral("Hall"), false));
    QVERIFY(WaitForTitle(QStringLiteral("Hall (KS-100)")));
    QSignalSpy urls(View().Explorer().View(), &QWebEngineView::urlChanged);

    QVERIFY(m_pFixture->SelectAndWaitForPage(QStringLiteral("Porch"), false));
    QVERIFY(WaitForTitle(QStringLiteral("Porch (KS-200)")));
    QVERIFY(m_pFixture->SelectAndWaitForPage(QStringLiteral("Hall"), false));
    QVERIFY(WaitForTitle(QStringLiteral("Hall (KS-100)")));
    // The browser went to B's page, then back to A's, not merely stayed.
    QList<QUrl> visited;
    for (const QList<QVariant> &change : std::as_const(urls))
        visited.append(change.first().toUrl());
    QVERIFY(visited.contains(QUrl(QStringLiteral("http://127.0.0.6/"))));
    QCOMPARE(visited.last(), QUrl(QStringLiteral("http://127.0.0.5/")));
}

void TestSetupWebView::enterInsideThePageClosesNothing()
{
    QVERIFY(m_pFixture->SelectAndWaitForPage(QStringLiteral("Hall"), false));
    QVERIFY(WaitForTitle(QStringLiteral("Hall (KS-100)")));
    QWidget *target = View().Explorer().View()->focusProxy();
    if (!target)
        target = View().Explorer().View();
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Return);
    QTest::keyClick(&View(), Qt::Key_Return);
    QTest::keyClick(&View(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    QVERIFY(m_pFixture->Window().isVisible());
    QVERIFY(View().isVisible());
    QCOMPARE(m_pFixture->Window().result(), 0);
}

KESTAVON_UI_TEST_MAIN(TestSetupWebView)
#include "tst_setupwebview.moc"
