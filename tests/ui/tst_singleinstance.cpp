#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include "halvorinsetup101app.h"
#include "instancechannel.h"
#include "singleinstance.h"
#include "uitestmain.h"

// One copy of the tool at a time: a second copy asks the first to show its
// window and ends at once, silently.
class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void secondHolderIsRefusedUntilTheFirstEnds();
    void secondCopyOfTheToolEndsSilently();
    void secondCopyAsksTheFirstToShowItself();
    void channelTakesOnlyTheRequest_data();
    void channelTakesOnlyTheRequest();
    void shownWindowIsRestoredAndActive();
    void unfitInstanceNameIsRefused_data();
    void unfitInstanceNameIsRefused();
};

namespace {

// Generous for a loaded machine; reached only when something is broken.
constexpr int WAIT_MS = 20000;

// A single-instance name of this test's own, so a copy of the tool the user
// runs meanwhile is neither met nor disturbed.
QString OwnName(const char *what)
{
    return QStringLiteral("tst_singleinstance-%1-%2")
        .arg(QLatin1String(what))
        .arg(QCoreApplication::applicationPid());
}

QProcess *StartTool(QObject *parent, const QString &instance)
{
    auto *tool = new QProcess(parent);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QString::fromLatin1(CHalvorinSetup101App::INSTANCE_VARIABLE), instance);
    tool->setProcessEnvironment(environment);
    tool->start(QStringLiteral(KESTAVON_SETUP_EXECUTABLE), {});
    return tool;
}

void ExpectSilentSuccess(QProcess *process)
{
    // It may have ended while the test waited for something else.
    QVERIFY(process->state() == QProcess::NotRunning || process->waitForFinished(WAIT_MS));
    QCOMPARE(process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(process->exitCode(), 0);
    QCOMPARE(process->readAllStandardOutput(), QByteArray());
    QCOMPARE(process->readAllStandardError(), QByteArray());
}

} // namespace

void TestSingleInstance::secondHolderIsRefusedUntilTheFirstEnds()
{
    const QString name = OwnName("lock");
    {
        CSingleInstance first(name);
        QVERIFY(first.TryAcquire());
        CSingleInstance second(name);
        QVERIFY(!second.TryAcquire());
        QCOMPARE(second.LockPath(), first.LockPath());
    }
    CSingleInstance later(name);
    QVERIFY(later.TryAcquire());
}

void TestSingleInstance::secondCopyOfTheToolEndsSilently()
{
    const QString name = OwnName("tool");
    QLockFile probe(CSingleInstance::LockPathFor(name));
    probe.setStaleLockTime(0);

    // The first copy runs and holds the lock. Only looked at, never taken:
    // holding it even briefly would make the starting copy a second one.
    QProcess *first = StartTool(this, name);
    const auto endFirst = qScopeGuard([first] {
        first->kill();
        first->waitForFinished(WAIT_MS);
    });
    QVERIFY(first->waitForStarted(WAIT_MS));
    QVERIFY(QTest::qWaitFor(
        [&probe, first] {
            qint64 owner = 0;
            return probe.getLockInfo(&owner, nullptr, nullptr) && owner == first->processId();
        },
        WAIT_MS));
    // And listens for later copies.
    QVERIFY(QTest::qWaitFor(
        [name] {
            QLocalSocket socket;
            socket.connectToServer(CSingleInstance::ChannelPathFor(name));
            return socket.waitForConnected(WAIT_MS);
        },
        WAIT_MS));
    QCOMPARE(first->state(), QProcess::Running);

    // The second ends by itself, successfully, without a word.
    ExpectSilentSuccess(StartTool(this, name));
    QCOMPARE(first->state(), QProcess::Running);
}

// This test stands in for the first copy; the real program is the second.
void TestSingleInstance::secondCopyAsksTheFirstToShowItself()
{
    const QString name = OwnName("show");
    CSingleInstance first(name);
    QVERIFY(first.TryAcquire());
    CInstanceChannel channel;
    QVERIFY(channel.Listen(CSingleInstance::ChannelPathFor(name)));
    QSignalSpy shows(&channel, &CInstanceChannel::ShowRequested);

    QProcess *second = StartTool(this, name);
    QTRY_COMPARE_WITH_TIMEOUT(shows.count(), 1, WAIT_MS);
    ExpectSilentSuccess(second);
    QCOMPARE(shows.count(), 1);
}

void TestSingleInstance::channelTakesOnlyTheRequest_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<int>("shows");
    QTest::newRow("the request") << QByteArray(CInstanceChannel::SHOW_REQUEST) << 1;
    QTest::newRow("the request in two pieces") << QByteArray("sh") << 0;
    QTest::newRow("another line") << QByteArray("quit\n") << 0;
    QTest::newRow("the request with more on its line") << QByteArray("show me\n") << 0;
    QTest::newRow("a line without end")
        << QByteArray(CInstanceChannel::MAX_REQUEST_BYTES * 4, 'x') << 0;
    QTest::newRow("nothing") << QByteArray() << 0;
}

// Whatever a peer sends, only the exact request shows the window, and every
// peer is hung up on: none keeps a socket of the tool open.
void TestSingleInstance::channelTakesOnlyTheRequest()
{
    QFETCH(QByteArray, sent);
    QFETCH(int, shows);
    const QString path = CSingleInstance::ChannelPathFor(OwnName("channel"));
    CInstanceChannel channel;
    QVERIFY(channel.Listen(path));
    QSignalSpy requests(&channel, &CInstanceChannel::ShowRequested);

    QLocalSocket peer;
    peer.connectToServer(path);
    QVERIFY(peer.waitForConnected(WAIT_MS));
    peer.write(sent);
    QVERIFY(sent.isEmpty() || peer.waitForBytesWritten(WAIT_MS));
    QTRY_COMPARE_WITH_TIMEOUT(peer.state(), QLocalSocket::UnconnectedState, WAIT_MS);
    QCOMPARE(requests.count(), shows);
}

void TestSingleInstance::shownWindowIsRestoredAndActive()
{
    QWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.showMinimized();
    QTRY_VERIFY_WITH_TIMEOUT(window.isMinimized(), WAIT_MS);

    CHalvorinSetup101App::BringToFront(&window);
    QTRY_VERIFY_WITH_TIMEOUT(!window.isMinimized(), WAIT_MS);
    QVERIFY(window.isVisible());
    QVERIFY(QTest::qWaitForWindowActive(&window, WAIT_MS));
}

void TestSingleInstance::unfitInstanceNameIsRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("a path") << QStringLiteral("../elsewhere");
    QTest::newRow("hidden file") << QStringLiteral(".hidden");
    QTest::newRow("space") << QStringLiteral("two words");
    QTest::newRow("too long") << QString(65, QLatin1Char('a'));
}

void TestSingleInstance::unfitInstanceNameIsRefused()
{
    QFETCH(QString, name);
    QProcess *tool = StartTool(this, name);
    QVERIFY(tool->waitForFinished(WAIT_MS));
    QCOMPARE(tool->exitCode(), 2);
    QVERIFY(tool->readAllStandardError().contains(CHalvorinSetup101App::INSTANCE_VARIABLE));
}

KESTAVON_UI_TEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
