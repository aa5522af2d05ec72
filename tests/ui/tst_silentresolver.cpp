#include <cstdio>

#include <QHostInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>
#include <QUdpSocket>

#include "mainwindowfixture.h"
#include "uitestmain.h"

// A name server that never answers holds up nothing the user sees: the main
// window opens and lists the players as it does with a working one. The
// window runs in a child process (this program again) whose name service
// asks only the silent server this test runs, so a window held up by a
// lookup shows as a child that never reports, not as a test that hangs.
class TestSilentResolver : public QObject
{
    Q_OBJECT

private slots:
    void windowListsPlayersWhileTheNameServerIsSilent();
};

namespace {

// Generous for a loaded machine, far below the silent resolver's time-out.
constexpr int WAIT_MS = CMainWindowFixture::WAIT_MS;
constexpr int DNS_PORT = 53;
// Tells this program to be the child.
constexpr const char *CHILD_VARIABLE = "KESTAVON_SILENT_RESOLVER_CHILD";
const QByteArray kListedLine = "listed 2\n";

QHostAddress SilentServer()
{
    return QHostAddress(QStringLiteral("127.0.0.53"));
}

// The child: the window in front of two players, a line once both are listed,
// then a lookup of the host name of its own, which shows that this name
// service does ask the silent server. It waits to be ended.
int RunChild()
{
    CMainWindowFixture fixture;
    QString error;
    const QList<CSimPlayerConfig> players = {
        CMainWindowFixture::Player(QStringLiteral("127.0.0.2"), QStringLiteral("KS-210"),
                                   QStringLiteral("Living Room")),
        CMainWindowFixture::Player(QStringLiteral("127.0.0.3"), QStringLiteral("KS-210"),
                                   QStringLiteral("Kitchen"))};
    if (!fixture.Start(players, &error) || !fixture.WaitForDevices(players.size())) {
        std::fprintf(stderr, "child: %s\n", qPrintable(error));
        return 1;
    }
    std::fputs(kListedLine.constData(), stdout);
    std::fflush(stdout);
    QHostInfo::lookupHost(QHostInfo::localHostName(), qApp, [](const QHostInfo &) {});
    return QCoreApplication::exec();
}

} // namespace

void TestSilentResolver::windowListsPlayersWhileTheNameServerIsSilent()
{
    QUdpSocket silent;
    QVERIFY(silent.bind(SilentServer(), DNS_PORT));

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(CHILD_VARIABLE), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QStringLiteral(KESTAVON_SILENT_RESOLVER),
                {QCoreApplication::applicationFilePath()});
    const auto endChild = qScopeGuard([&child] {
        child.kill();
        child.waitForFinished(WAIT_MS);
    });
    QVERIFY(child.waitForStarted(WAIT_MS));

    QTRY_VERIFY_WITH_TIMEOUT(child.canReadLine() || child.state() != QProcess::Running, WAIT_MS);
    QCOMPARE(child.readLine(), kListedLine);
    // The child's name service asks the silent server, which kept quiet.
    QTRY_VERIFY_WITH_TIMEOUT(silent.hasPendingDatagrams(), WAIT_MS);
    QCOMPARE(child.state(), QProcess::Running);
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet(CHILD_VARIABLE)) {
        CHalvorinSetup101App::PrepareEnvironment(argc, argv);
        QApplication app(argc, argv);
        KestavonTest::RequireIsolatedNetwork();
        return RunChild();
    }
    QApplication app(argc, argv);
    KestavonTest::RequireIsolatedNetwork();
    TestSilentResolver tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_silentresolver.moc"
