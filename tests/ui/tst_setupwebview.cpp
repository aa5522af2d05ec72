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
#include "overviewpage.h"
#include "messageboxrecorder.h"
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
    void scriptCannotLeaveThePlayer_data();
    void scriptCannotLeaveThePlayer();
    void clickedLinkElsewhereAsksFirst_data();
    void clickedLinkElsewhereAsksFirst();
    void clickedLinkOfAnotherKindGoesNowhere_data();
    void clickedLinkOfAnotherKindGoesNowhere();
    void longAddressIsCutInTheQuestion();
    void browserWithoutSandboxIsSaid();
    void pageBehindASignInAsksForUserAndPassword();
    void failedLoadSaysWhy();

private:
    CSetupWebView &View() { return m_pFixture->Window().WebView(); }
    // The engine's view inside the browser; null before the first visit.
    QWebEngineView *Browser();
    bool WaitForTitle(const QString &title);
    // Opens the scripted player's page and waits until it shows.
    bool ShowLinkPage();
    // Clicks the page's element with that id as a person would.
    bool ClickElement(const QString &id);
    // Leaves for the player's own second page and waits until it shows:
    // whatever was asked of the engine before has been dealt with by then.
    bool GoToOwnPage(bool byClick);

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

// A player whose page leads elsewhere in every way a page can: links of
// many kinds, one that opens a window, a redirect; and a second page of its
// own. Elsewhere is 127.0.0.10, where nothing answers.
class CLinkPage : public QTcpServer
{
public:
    static QString Address() { return QStringLiteral("127.0.0.12"); }

    bool Start() { return listen(QHostAddress(Address()), 80); }
    // The paths asked for, in order.
    QList<QByteArray> m_served;

protected:
    void incomingConnection(qintptr handle) override
    {
        auto *socket = new QTcpSocket(this);
        socket->setSocketDescriptor(handle);
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            if (!socket->peek(socket->bytesAvailable()).contains("\r\n\r\n"))
                return;
            const QList<QByteArray> words = socket->readAll().split(' ');
            const QByteArray path = words.size() > 1 ? words.at(1) : QByteArray();
            m_served.append(path);
            socket->write(Response(path));
            socket->disconnectFromHost();
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

private:
    static QByteArray Response(const QByteArray &path)
    {
        if (path == "/redirect")
            return "HTTP/1.1 302 Found\r\nLocation: http://127.0.0.10/redirected\r\n"
                   "Content-Length: 0\r\nConnection: close\r\n\r\n";
        const QByteArray body =
            path == "/own"
                ? QByteArray("<html><head><title>Own</title></head><body>own</body></html>")
                : QByteArray(
                      "<html><head><title>Links</title>"
                      "<style>a{display:block;height:30px;margin:2px}</style></head><body>"
                      "<a id='http' href='http://127.0.0.10/elsewhere'>http</a>"
                      "<a id='https' href='https://127.0.0.10/secure'>https</a>"
                      "<a id='window' href='http://127.0.0.10/popup' target='_blank'>window</a>"
                      "<a id='long' href='http://127.0.0.10/" +
                      QByteArray(1000, 'x') +
                      "'>long</a>"
                      "<a id='mailto' href='mailto:someone@example.com'>mailto</a>"
                      "<a id='ftp' href='ftp://127.0.0.10/file'>ftp</a>"
                      "<a id='file' href='file:///etc/passwd'>file</a>"
                      "<a id='javascript' href=\"javascript:void(document.title='ran')\">js</a>"
                      "<a id='own' href='/own'>own</a>"
                      "</body></html>");
        return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
               QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    }
};

// Stands in for the desktop's handler of every address kind a page may name,
// so that nothing reaches the real one.
class CDesktopBrowser : public QObject
{
    Q_OBJECT

public:
    static QStringList Schemes()
    {
        return {QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("mailto"),
                QStringLiteral("ftp"),  QStringLiteral("file"),  QStringLiteral("javascript"),
                QStringLiteral("data")};
    }

    CDesktopBrowser()
    {
        for (const QString &scheme : Schemes())
            QDesktopServices::setUrlHandler(scheme, this, "Open");
    }
    ~CDesktopBrowser() override
    {
        for (const QString &scheme : Schemes())
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
    QCoreApplication::processEvents();
    QVERIFY(m_pFixture->Window().isVisible());
    QVERIFY(View().isVisible());
    // Escape leaves the page for the overview of all players, closing nothing.
    QTest::keyClick(&View(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    QVERIFY(m_pFixture->Window().isVisible());
    QVERIFY(!View().isVisible());
    QVERIFY(m_pFixture->Window().Overview().isVisible());
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

bool TestSetupWebView::ShowLinkPage()
{
    m_pFixture->Window().Manager().TargetDevice(CLinkPage::Address());
    // As the main window does for a player of this kind: shown, then navigated.
    View().show();
    View().NavigateToDevice();
    return WaitForTitle(QStringLiteral("Links")) &&
           QTest::qWaitFor([this] { return Browser()->focusProxy()->isVisible(); }, WAIT_MS);
}

bool TestSetupWebView::ClickElement(const QString &id)
{
    QWebEngineView *browser = Browser();
    QWidget *target = browser ? browser->focusProxy() : nullptr;
    if (!target)
        return false;
    QVariant centre;
    bool answered = false;
    browser->page()->runJavaScript(
        QStringLiteral("(function() { var r = document.getElementById('%1')"
                       ".getBoundingClientRect(); return [r.left + r.width / 2, "
                       "r.top + r.height / 2]; })()")
            .arg(id),
        [&centre, &answered](const QVariant &result) {
            centre = result;
            answered = true;
        });
    if (!QTest::qWaitFor([&answered] { return answered; }, WAIT_MS))
        return false;
    const QVariantList point = centre.toList();
    if (point.size() != 2)
        return false;
    QTest::mouseClick(target, Qt::LeftButton, {},
                      QPoint(qRound(point.at(0).toDouble()), qRound(point.at(1).toDouble())));
    return true;
}

bool TestSetupWebView::GoToOwnPage(bool byClick)
{
    if (byClick) {
        if (!ClickElement(QStringLiteral("own")))
            return false;
    } else {
        Browser()->page()->runJavaScript(QStringLiteral("location = '/own';"));
    }
    return WaitForTitle(QStringLiteral("Own"));
}

void TestSetupWebView::scriptCannotLeaveThePlayer_data()
{
    QTest::addColumn<QString>("script");
    QTest::newRow("location set to another host")
        << QStringLiteral("location = 'http://127.0.0.10/scripted';");
    QTest::newRow("location set to another port of the player")
        << QStringLiteral("location.href = 'http://127.0.0.12:8080/';");
    QTest::newRow("location set to https") << QStringLiteral("location = 'https://127.0.0.10/';");
    QTest::newRow("location set to mailto")
        << QStringLiteral("location = 'mailto:someone@example.com';");
    QTest::newRow("location set to ftp") << QStringLiteral("location = 'ftp://127.0.0.10/file';");
    QTest::newRow("location set to file") << QStringLiteral("location = 'file:///etc/passwd';");
    QTest::newRow("redirected by the player") << QStringLiteral("location = '/redirect';");
    QTest::newRow("window opened") << QStringLiteral("window.open('http://127.0.0.10/popup');");
    QTest::newRow("link clicked by the script")
        << QStringLiteral("document.getElementById('http').click();");
    QTest::newRow("window link clicked by the script")
        << QStringLiteral("document.getElementById('window').click();");
}

// Without the user's click a page goes nowhere: not in the view, not to the
// desktop, and no question is asked.
void TestSetupWebView::scriptCannotLeaveThePlayer()
{
    QFETCH(QString, script);
    CLinkPage page;
    QVERIFY(page.Start());
    CDesktopBrowser desktop;
    const CMessageBoxRecorder boxes(QMessageBox::Yes);
    QVERIFY(ShowLinkPage());
    Browser()->page()->runJavaScript(script);
    // The redirect has to be on its way before the page is left.
    if (script.contains(QStringLiteral("/redirect")))
        QTRY_VERIFY_WITH_TIMEOUT(page.m_served.contains("/redirect"), WAIT_MS);
    QVERIFY(GoToOwnPage(false));
    QCOMPARE(desktop.m_opened, QList<QUrl>());
    QCOMPARE(boxes.Texts(), QStringList());
    QCOMPARE(Browser()->url(), QUrl(QStringLiteral("http://127.0.0.12/own")));
}

void TestSetupWebView::clickedLinkElsewhereAsksFirst_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QUrl>("elsewhere");
    QTest::addColumn<bool>("yes");
    const QUrl http(QStringLiteral("http://127.0.0.10/elsewhere"));
    QTest::newRow("http link, answered Yes") << QStringLiteral("http") << http << true;
    QTest::newRow("http link, answered No") << QStringLiteral("http") << http << false;
    QTest::newRow("https link, answered Yes")
        << QStringLiteral("https") << QUrl(QStringLiteral("https://127.0.0.10/secure")) << true;
    QTest::newRow("link to a new window, answered Yes")
        << QStringLiteral("window") << QUrl(QStringLiteral("http://127.0.0.10/popup")) << true;
    QTest::newRow("link to a new window, answered No")
        << QStringLiteral("window") << QUrl(QStringLiteral("http://127.0.0.10/popup")) << false;
}

// A web link the user clicks goes to the desktop's browser only after a
// question that names the address, and only on Yes; the player's page stays.
void TestSetupWebView::clickedLinkElsewhereAsksFirst()
{
    QFETCH(QString, link);
    QFETCH(QUrl, elsewhere);
    QFETCH(bool, yes);
    CLinkPage page;
    QVERIFY(page.Start());
    CDesktopBrowser desktop;
    const CMessageBoxRecorder boxes(yes ? QMessageBox::Yes : QMessageBox::No);
    QVERIFY(ShowLinkPage());
    QVERIFY(ClickElement(link));
    QTRY_COMPARE_WITH_TIMEOUT(boxes.Requests().size(), 1, WAIT_MS);
    QCOMPARE(boxes.Requests().first().m_buttons, CMessageBox::EButtons::YesNo);
    QVERIFY2(boxes.Texts().first().contains(elsewhere.toString()),
             qPrintable(boxes.Texts().first()));
    QCOMPARE(desktop.m_opened, yes ? QList<QUrl>{elsewhere} : QList<QUrl>());
    QCOMPARE(Browser()->url(), QUrl(QStringLiteral("http://127.0.0.12/")));
    QCOMPARE(Browser()->title(), QStringLiteral("Links"));
}

void TestSetupWebView::clickedLinkOfAnotherKindGoesNowhere_data()
{
    QTest::addColumn<QString>("link");
    QTest::newRow("mailto") << QStringLiteral("mailto");
    QTest::newRow("ftp") << QStringLiteral("ftp");
    QTest::newRow("file") << QStringLiteral("file");
    QTest::newRow("javascript") << QStringLiteral("javascript");
}

// Only web addresses may leave, even on a click: no mail program, file or
// other handler is started from a player's page, and nobody is asked.
void TestSetupWebView::clickedLinkOfAnotherKindGoesNowhere()
{
    QFETCH(QString, link);
    CLinkPage page;
    QVERIFY(page.Start());
    CDesktopBrowser desktop;
    const CMessageBoxRecorder boxes(QMessageBox::Yes);
    QVERIFY(ShowLinkPage());
    QVERIFY(ClickElement(link));
    QVERIFY(GoToOwnPage(true));
    QCOMPARE(desktop.m_opened, QList<QUrl>());
    QCOMPARE(boxes.Texts(), QStringList());
}

void TestSetupWebView::longAddressIsCutInTheQuestion()
{
    CLinkPage page;
    QVERIFY(page.Start());
    CDesktopBrowser desktop;
    const CMessageBoxRecorder boxes(QMessageBox::No);
    QVERIFY(ShowLinkPage());
    QVERIFY(ClickElement(QStringLiteral("long")));
    QTRY_COMPARE_WITH_TIMEOUT(boxes.Requests().size(), 1, WAIT_MS);
    const QString text = boxes.Texts().first();
    QVERIFY(text.contains(QStringLiteral("http://127.0.0.10/xxx")));
    QVERIFY(text.size() < CExplorer1::MAX_SHOWN_URL + 200);
    QCOMPARE(desktop.m_opened, QList<QUrl>());
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
