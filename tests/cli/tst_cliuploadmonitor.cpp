#include <QCoreApplication>
#include <QHostAddress>
#include <QSignalSpy>
#include <QTest>

#include "cliprogressbars.h"
#include "uploadmonitor.h"
#include "isolatednetwork.h"
#include "postedmessage.h"

namespace {

const QString PLAYER_A = QStringLiteral("127.0.0.2");
const QString PLAYER_B = QStringLiteral("127.0.0.3");
constexpr qint64 COMPLETE = 500;
constexpr qint64 HALF = 250;

// As an uploader thread delivers it: posted with the player's address as a
// number, then handled by the owner's loop.
void Deliver(CUploadMonitor &monitor, int message, qint64 wParam, const QString &player,
             const QString &text = {})
{
    const qint64 address = player.isEmpty() ? 0 : QHostAddress(player).toIPv4Address();
    CPostedMessage::Post(&monitor, message, wParam, address, text);
    QCoreApplication::sendPostedEvents(&monitor);
}

} // namespace

class TestCliUploadMonitor : public QObject
{
    Q_OBJECT

private slots:
    void progressIsKeptPerNamedPlayer();
    void messagesWithoutAPlayerGoToTheOnlyOneWaiting();
    void failures();
    void playersNeverToldSettleAtOnce();
    void progressLine_data();
    void progressLine();
};

void TestCliUploadMonitor::progressIsKeptPerNamedPlayer()
{
    CUploadMonitor monitor({PLAYER_A, PLAYER_B});
    QSignalSpy settled(&monitor, &CUploadMonitor::Settled);

    Deliver(monitor, WM_UPLOAD_PROGRESS, HALF, PLAYER_A);
    Deliver(monitor, WM_UPLOAD_PROGRESS, COMPLETE, PLAYER_B);
    QCOMPARE(monitor.Progress(PLAYER_A), HALF);
    QCOMPARE(monitor.State(PLAYER_A), CUploadMonitor::EState::Waiting);
    QCOMPARE(monitor.State(PLAYER_B), CUploadMonitor::EState::Complete);
    QVERIFY(!monitor.AllSettled());
    QCOMPARE(settled.count(), 0);

    // A stranger's download and a second download of a finished player change nothing.
    Deliver(monitor, WM_UPLOAD_PROGRESS, COMPLETE, QStringLiteral("127.0.0.9"));
    Deliver(monitor, WM_UPLOAD_PROGRESS, 1, PLAYER_B);
    QCOMPARE(monitor.State(PLAYER_A), CUploadMonitor::EState::Waiting);
    QCOMPARE(monitor.Progress(PLAYER_B), COMPLETE);

    Deliver(monitor, WM_UPLOAD_PROGRESS, COMPLETE, PLAYER_A);
    QVERIFY(monitor.AllSettled());
    QCOMPARE(settled.count(), 1);
}

void TestCliUploadMonitor::messagesWithoutAPlayerGoToTheOnlyOneWaiting()
{
    CUploadMonitor monitor({PLAYER_A, PLAYER_B});
    Deliver(monitor, WM_UPLOAD_PROGRESS, COMPLETE, PLAYER_A);
    Deliver(monitor, WM_UPLOAD_PROGRESS, HALF, QString());
    QCOMPARE(monitor.Progress(PLAYER_B), HALF);
    Deliver(monitor, WM_UPLOAD_PROGRESS, COMPLETE, QString());
    QCOMPARE(monitor.State(PLAYER_B), CUploadMonitor::EState::Complete);
}

void TestCliUploadMonitor::failures()
{
    CUploadMonitor monitor({PLAYER_A, PLAYER_B});
    const QString sendFailed = QStringLiteral("Server Socket failed to send: 104");
    // Nobody named while two wait, or a stranger: kept for the report only.
    Deliver(monitor, WM_UPLOAD_FAILED, 0, QString(), sendFailed);
    Deliver(monitor, WM_UPLOAD_FAILED, 0, QStringLiteral("127.0.0.9"), sendFailed);
    QCOMPARE(monitor.UnattributedFailures(), (QStringList{sendFailed, sendFailed}));
    QCOMPARE(monitor.State(PLAYER_A), CUploadMonitor::EState::Waiting);

    Deliver(monitor, WM_UPLOAD_FAILED, 0, PLAYER_B, sendFailed);
    QCOMPARE(monitor.State(PLAYER_B), CUploadMonitor::EState::Failed);
    QCOMPARE(monitor.Failure(PLAYER_B), sendFailed);
    QCOMPARE(monitor.State(PLAYER_A), CUploadMonitor::EState::Waiting);

    // With one left waiting, an unnamed failure is its.
    Deliver(monitor, WM_UPLOAD_FAILED, 0, QString(), QStringLiteral("File open fail:"));
    QCOMPARE(monitor.State(PLAYER_A), CUploadMonitor::EState::Failed);
    QCOMPARE(monitor.Failure(PLAYER_A), QStringLiteral("File open fail:"));
    QVERIFY(monitor.AllSettled());
}

void TestCliUploadMonitor::playersNeverToldSettleAtOnce()
{
    CUploadMonitor monitor({PLAYER_A, PLAYER_B});
    QSignalSpy settled(&monitor, &CUploadMonitor::Settled);
    monitor.MarkNotSent(PLAYER_A);
    QVERIFY(!monitor.AllSettled());
    monitor.MarkNotSent(PLAYER_B);
    QVERIFY(monitor.AllSettled());
    QCOMPARE(settled.count(), 1);
    QCOMPARE(monitor.State(PLAYER_B), CUploadMonitor::EState::NotSent);
}

void TestCliUploadMonitor::progressLine_data()
{
    QTest::addColumn<qint64>("progress");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("line");

    const QString address = QStringLiteral("127.0.0.2      ");
    QTest::newRow("nothing yet") << qint64{0} << QString()
                                 << address + QStringLiteral(" [") + QString(40, u'.') +
                                        QStringLiteral("]   0%");
    QTest::newRow("half") << HALF << QString()
                          << address + QStringLiteral(" [") + QString(20, u'#') +
                                 QString(20, u'.') + QStringLiteral("]  50%");
    QTest::newRow("one step short stays below the end")
        << (COMPLETE - 1) << QString()
        << address + QStringLiteral(" [") + QString(39, u'#') + QStringLiteral(".]  99%");
    QTest::newRow("done") << COMPLETE << QStringLiteral("done")
                          << address + QStringLiteral(" [") + QString(40, u'#') +
                                 QStringLiteral("] 100% done");
}

void TestCliUploadMonitor::progressLine()
{
    QFETCH(qint64, progress);
    QFETCH(QString, status);
    QFETCH(QString, line);
    QCOMPARE(CCliProgressBars::Line(PLAYER_A, progress, status), line);
}

KESTAVON_TEST_MAIN(TestCliUploadMonitor)
#include "tst_cliuploadmonitor.moc"
