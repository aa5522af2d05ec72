#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "credentialsprompt.h"
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
    void pageIsPaintedOnScreen();
    void choosingAPlayerAgainLoadsItsPageAgain();
    void enterInsideThePageClosesNothing();
    void addressThatIsNotAPlayersIsNotOpened_data();
    void addressThatIsNotAPlayersIsNotOpened();
    void otherPagesOpenInTheDesktopsBrowser_data();
    void otherPagesOpenInTheDesktopsBrowser();
    void browserWithoutSandboxIsSaid();
    void pageBehindASignInAsksForUserAndPassword();
    void failedLoadSaysWhy();

private:
    CSetupWebView &View() { return m_pFixture->Window().WebView(); }
    // The engine's view inside the browser; null before the first visit.
    QWebEngineView *Browser();
    bool WaitForTitle(const QString &title);

    std::unique_ptr<CMainWindowFixture> m_pFixture;
};

namespace {

constexpr int WAIT_MS = CMainWindowFixture::WAIT_MS;
// Text is drawn near black on the page's white.
constexpr int DARK_GREY = 100;
constexpr int MIN_HEADING_PIXELS = 500;

// A player's page behind HTTP basic authentication (user admin, password
// secret), at an address no simulated player uses.
class CLockedPage : public QTcpServer
{
public:
    static QString Address() { return QStringLiteral("127.0.0.9"); }

    bool Start() { return listen(QHostAddress(Address()), 80); }

protected:
    void incomingConnection(qintptr handle) override
    {
        auto *socket = new QTcpSocket(this);
        socket->setSocketDescriptor(handle);
        connect(socket, &QTcpSocket::readyRead, socket, [socket] {
            if (!socket->peek(socket->bytesAvailable()).contains("\r\n\r\n"))
                return;
            const QByteArray request = socket->readAll();
            const bool signedIn = request.contains("Authorization: Basic YWRtaW46c2VjcmV0");
            const QByteArray body =
                "<html><head><title>Locked</title></head><body>in</body></html>";
            socket->write(signedIn ? "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
                                   : "HTTP/1.1 401 Unauthorized\r\n"
                                     "WWW-Authenticate: Basic realm=\"player\"\r\n");
            socket->write("Content-Length: " + QByteArray::number(signedIn ? body.size() : 0) +
                          "\r\nConnection: close\r\n\r\n");
            if (signedIn)
                socket->write(body);
            socket->disconnectFromHost();
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
};

// Stands in for the desktop's browser.
class CDesktopBrowser : public QObject
{
    Q_OBJECT

public:
    CDesktopBrowser()
    {
        for (const QString &scheme : {QStringLiteral("http"), QStringLiteral("https")})
            QDesktopServices::setUrlHandler(scheme, this, "Open");
    }
    ~CDesktopBrowser() override
    {
        for (const QString &scheme : {QStringLiteral("http"), QStringLiteral("https")})
            QDesktopServices::unsetUrlHandler(scheme);
    }

    QList<QUrl> m_opened;

public slots:
    void Open(const QUrl &url) { m_opened.append(url); }
};

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

QWebEngineView *TestSetupWebView::Browser()
{
    QWidget *browser = View().Explorer().View();
    return browser ? browser->findChild<QWebEngineView *>() : nullptr;
}

bool TestSetupWebView::WaitForTitle(const QString &title)
{
    QWebEngineView *browser = Browser();
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
    QVERIFY(Browser());
    QTRY_COMPARE_WITH_TIMEOUT(Browser()->size(), View().size(), WAIT_MS);
}

void TestSetupWebView::showsThePlayersOwnPage()
{
    QVERIFY(m_pFixture->SelectAndWaitForPage(QStringLiteral("Hall"), false));
    QCOMPARE(View().Explorer().LocationUrl(), QUrl(QStringLiteral("http://127.0.0.5")));
    QVERIFY(WaitForTitle(QStringLiteral("Hall (KS-100)")));
    QCOMPARE(Browser()->url(), QUrl(QStringLiteral("http://127.0.0.5/")));
}

// The page's heading, the player's name in large dark letters, reaches the
// screen. Only a platform that paints can show it.
void TestSetupWebView::pageIsPaintedOnScreen()
{
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        QSKIP("the offscreen platform paints nothing");
    QVERIFY(m_pFixture->SelectAndWaitForPage(QStringLiteral("Hall"), false));
    QVERIFY(WaitForTitle(QStringLiteral("Hall (KS-100)")));
    QWidget *browser = Browser();
    QVERIFY(QTest::qWaitForWindowExposed(browser->window()));
    const QRect area(browser->mapTo(browser->window(), QPoint(0, 0)), browser->size());
    const auto darkPixels = [browser, area] {
        QScreen *screen = browser->window()->screen();
        const QImage shot = screen->grabWindow(browser->window()->winId()).toImage();
        int dark = 0;
        for (int y = area.top(); y <= area.bottom() && y < shot.height(); ++y) {
            for (int x = area.left(); x <= area.right() && x < shot.width(); ++x)
                dark += qGray(shot.pixel(x, y)) < DARK_GREY ? 1 : 0;
        }
        return dark;
    };
    // A heading's strokes cover thousands of pixels; a blank page none.
    QTRY_VERIFY_WITH_TIMEOUT(darkPixels() > MIN_HEADING_PIXELS, WAIT_MS);
}

void TestSetupWebView::choosingAPlayerAgainLoadsItsPageAgain()
{
    QVERIFY(m_pFixture->SelectAndWaitForPage(QStringLiteral("Hall"), false));
    QVERIFY(WaitForTitle(QStringLiteral("Hall (KS-100)")));
    QSignalSpy urls(Browser(), &QWebEngineView::urlChanged);

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
    QWidget *target = Browser()->focusProxy();
    if (!target)
        target = Browser();
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Return);
    QTest::keyClick(&View(), Qt::Key_Return);
    QTest::keyClick(&View(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    QVERIFY(m_pFixture->Window().isVisible());
    QVERIFY(View().isVisible());
    QCOMPARE(m_pFixture->Window().result(), 0);
}

void TestSetupWebView::addressThatIsNotAPlayersIsNotOpened_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("host name") << QStringLiteral("example.com");
    QTest::newRow("with a port") << QStringLiteral("127.0.0.5:8080");
    QTest::newRow("with a path") << QStringLiteral("127.0.0.5/admin");
    QTest::newRow("with a user") << QStringLiteral("user@127.0.0.5");
    QTest::newRow("empty") << QString();
}

// Announcements are checked where they arrive; the view checks again before
// the browser goes anywhere.
void TestSetupWebView::addressThatIsNotAPlayersIsNotOpened()
{
    QFETCH(QString, address);
    m_pFixture->Window().Manager().TargetDevice(address);
    View().NavigateToDevice();
    QVERIFY(!View().Explorer().View());
    QVERIFY(View().Explorer().LocationUrl().isEmpty());
    QVERIFY(!View().Explorer().Refusal()->isHidden());
    QVERIFY(View().Explorer().Refusal()->text().contains(QStringLiteral("not the address")));

    // A player's page afterwards shows as ever.
    QVERIFY(m_pFixture->SelectAndWaitForPage(QStringLiteral("Hall"), false));
    QVERIFY(WaitForTitle(QStringLiteral("Hall (KS-100)")));
    QVERIFY(View().Explorer().Refusal()->isHidden());
}

void TestSetupWebView::otherPagesOpenInTheDesktopsBrowser_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QUrl>("elsewhere");
    QTest::newRow("link to another host")
        << QStringLiteral("location.href = 'http://127.0.0.9/elsewhere';")
        << QUrl(QStringLiteral("http://127.0.0.9/elsewhere"));
    QTest::newRow("another port of the player")
        << QStringLiteral("location.href = 'http://127.0.0.5:8080/';")
        << QUrl(QStringLiteral("http://127.0.0.5:8080/"));
    QTest::newRow("new window") << QStringLiteral("window.open('http://127.0.0.9/popup');")
                                << QUrl(QStringLiteral("http://127.0.0.9/popup"));
}

void TestSetupWebView::otherPagesOpenInTheDesktopsBrowser()
{
    QFETCH(QString, script);
    QFETCH(QUrl, elsewhere);
    CDesktopBrowser desktop;
    QVERIFY(m_pFixture->SelectAndWaitForPage(QStringLiteral("Hall"), false));
    QVERIFY(WaitForTitle(QStringLiteral("Hall (KS-100)")));
    Browser()->page()->runJavaScript(script);
    QTRY_COMPARE_WITH_TIMEOUT(desktop.m_opened, QList<QUrl>{elsewhere}, WAIT_MS);
    QCOMPARE(Browser()->url(), QUrl(QStringLiteral("http://127.0.0.5/")));
    QCOMPARE(Browser()->title(), QStringLiteral("Hall (KS-100)"));
}

void TestSetupWebView::browserWithoutSandboxIsSaid()
{
    QVERIFY(m_pFixture->SelectAndWaitForPage(QStringLiteral("Hall"), false));
    QLabel *notice = View().Explorer().SandboxNotice();
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        QVERIFY(!notice);
        return;
    }
    QVERIFY(notice);
    QTRY_VERIFY_WITH_TIMEOUT(notice->isVisible(), WAIT_MS);
    QVERIFY(notice->text().contains(QStringLiteral("without its sandbox")));
}

void TestSetupWebView::pageBehindASignInAsksForUserAndPassword()
{
    CLockedPage page;
    QVERIFY(page.Start());
    QStringList realms;
    CCredentialsPrompt::SetInterceptor([&realms](const QUrl &, const QString &realm) {
        realms.append(realm);
        return std::optional<CCredentialsPrompt::SCredentials>(
            CCredentialsPrompt::SCredentials{QStringLiteral("admin"), QStringLiteral("secret")});
    });
    m_pFixture->Window().Manager().TargetDevice(CLockedPage::Address());
    View().NavigateToDevice();
    const bool signedIn = WaitForTitle(QStringLiteral("Locked"));
    CCredentialsPrompt::SetInterceptor({});
    QVERIFY(signedIn);
    QVERIFY(!realms.isEmpty());
    QCOMPARE(realms.first(), QStringLiteral("player"));
}

void TestSetupWebView::failedLoadSaysWhy()
{
    // Nothing serves a page there.
    m_pFixture->Window().Manager().TargetDevice(CLockedPage::Address());
    View().NavigateToDevice();
    QLabel *why = View().Explorer().LoadError();
    QTRY_VERIFY_WITH_TIMEOUT(!why->isHidden(), WAIT_MS);
    QVERIFY(why->text().contains(CLockedPage::Address()));

    // The next page that loads takes the line away.
    QVERIFY(m_pFixture->SelectAndWaitForPage(QStringLiteral("Hall"), false));
    QVERIFY(WaitForTitle(QStringLiteral("Hall (KS-100)")));
    QVERIFY(why->isHidden());
}

KESTAVON_UI_TEST_MAIN(TestSetupWebView)
#include "tst_setupwebview.moc"
