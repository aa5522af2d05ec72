#include <algorithm>
#include <memory>
#include <vector>

#include <QTest>

#include "discoverfixture.h"
#include "fakeannouncer.h"
#include "isolatednetwork.h"

namespace {

using Device = CFakeDeviceSink::Device;

constexpr int WAIT_MS = CDiscoverFixture::WAIT_MS;
// Short enough to keep the tests quick, long enough that a loaded machine
// still accepts and reads before it runs out.
constexpr int SHORT_RECEIVE_TIMEOUT_MS = 300;
constexpr qsizetype LIMIT = 64 * 1024;

const QByteArray kHead = "<deviceInfo><model>KS-200</model><name>Hall</name>"
                         "<ip>127.0.0.51</ip><udn>uuid:51</udn><!--";
const QByteArray kTail = "--></deviceInfo>";

// A valid description padded with a comment to exactly size bytes.
QByteArray PaddedDescription(qsizetype size)
{
    return kHead + QByteArray(size - kHead.size() - kTail.size(), 'x') + kTail;
}

} // namespace

class TestReceiverLimits : public QObject
{
    Q_OBJECT

private slots:
    void silentConnectionTimesOut();
    void sizeLimit_data();
    void sizeLimit();
    void peerClosesBeforeTerminator();
    void ceilingQueuesConnections();
    void oneHostCannotTakeEveryReceiver();
};

void TestReceiverLimits::silentConnectionTimesOut()
{
    CDiscoverFixture fixture({.timeoutMs = SHORT_RECEIVE_TIMEOUT_MS});
    QVERIFY(fixture.m_discover.IsListening());
    CFakeAnnouncer player(QStringLiteral("127.0.0.51"));
    QVERIFY(player.Connect(CDeviceDiscover::ANNOUNCE_PORT));
    QVERIFY(player.WaitClosedByTool());
    QTRY_COMPARE_WITH_TIMEOUT(fixture.m_discover.LiveReceivers(), 0, WAIT_MS);
    QCOMPARE(fixture.m_discover.PeakReceivers(), 1);
    QVERIFY(fixture.Devices().isEmpty());
}

void TestReceiverLimits::sizeLimit_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("found");
    QTest::newRow("exactly the limit") << PaddedDescription(LIMIT) << true;
    QTest::newRow("one byte over") << PaddedDescription(LIMIT + 1) << false;
    QTest::newRow("endless, no terminator") << "<deviceInfo>" + QByteArray(4 * LIMIT, 'x') << false;
}

void TestReceiverLimits::sizeLimit()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, found);
    // A long time-out: only the size may end these receivers.
    CDiscoverFixture fixture({.timeoutMs = WAIT_MS * 10});
    QVERIFY(fixture.m_discover.IsListening());
    CFakeAnnouncer player(QStringLiteral("127.0.0.51"));
    QVERIFY(player.Connect(CDeviceDiscover::ANNOUNCE_PORT));
    // The tool may close while the rest is still on its way; that is the point.
    player.Send(bytes);
    QVERIFY(player.WaitClosedByTool());
    QTRY_COMPARE_WITH_TIMEOUT(fixture.m_discover.LiveReceivers(), 0, WAIT_MS);
    QCOMPARE(fixture.Devices().size(), found ? 1 : 0);
    QTRY_COMPARE_WITH_TIMEOUT(fixture.m_window.ListChanges(), found ? 1 : 0, WAIT_MS);
}

void TestReceiverLimits::peerClosesBeforeTerminator()
{
    CDiscoverFixture fixture({.timeoutMs = WAIT_MS * 10});
    QVERIFY(fixture.m_discover.IsListening());
    CFakeAnnouncer player(QStringLiteral("127.0.0.51"));
    QVERIFY(player.Connect(CDeviceDiscover::ANNOUNCE_PORT));
    const QByteArray whole = CFakeAnnouncer::Description(51);
    QVERIFY(player.Send(whole.left(whole.size() - 3)));
    player.Close();
    QTRY_COMPARE_WITH_TIMEOUT(fixture.m_discover.PeakReceivers(), 1, WAIT_MS);
    QTRY_COMPARE_WITH_TIMEOUT(fixture.m_discover.LiveReceivers(), 0, WAIT_MS);
    QVERIFY(fixture.Devices().isEmpty());
    QCOMPARE(fixture.m_window.ListChanges(), 0);
}

void TestReceiverLimits::ceilingQueuesConnections()
{
    constexpr int ceiling = 2;
    // Well within the listen backlog, so no connection attempt waits on a
    // retransmitted handshake.
    constexpr int queued = 5;
    CDiscoverFixture fixture({.timeoutMs = SHORT_RECEIVE_TIMEOUT_MS * 2, .maxReceivers = ceiling});
    QVERIFY(fixture.m_discover.IsListening());

    std::vector<std::unique_ptr<CFakeAnnouncer>> silent;
    for (int i = 0; i < ceiling; ++i) {
        silent.push_back(
            std::make_unique<CFakeAnnouncer>(QStringLiteral("127.0.0.%1").arg(60 + i)));
        QVERIFY(silent.back()->Connect(CDeviceDiscover::ANNOUNCE_PORT));
    }
    QTRY_COMPARE_WITH_TIMEOUT(fixture.m_discover.LiveReceivers(), ceiling, WAIT_MS);

    // These wait in the kernel's queue, their descriptions already sent,
    // until the silent ones time out.
    std::vector<std::unique_ptr<CFakeAnnouncer>> players;
    QList<Device> expected;
    for (int i = 0; i < queued; ++i) {
        const int host = 70 + i;
        players.push_back(std::make_unique<CFakeAnnouncer>(QStringLiteral("127.0.0.%1").arg(host)));
        QVERIFY(players.back()->Connect(CDeviceDiscover::ANNOUNCE_PORT));
        QVERIFY(players.back()->Send(CFakeAnnouncer::Description(host)));
        expected.append({QStringLiteral("KS-200"), QStringLiteral("Player %1").arg(host),
                         QStringLiteral("127.0.0.%1").arg(host),
                         QStringLiteral("uuid:%1").arg(host)});
    }

    for (const auto &player : silent)
        QVERIFY(player->WaitClosedByTool());
    for (const auto &player : players)
        QVERIFY(player->WaitClosedByTool());
    QTRY_COMPARE_WITH_TIMEOUT(fixture.m_discover.LiveReceivers(), 0, WAIT_MS);

    QList<Device> devices = fixture.Devices();
    const auto byIp = [](const Device &a, const Device &b) { return a.m_strIp < b.m_strIp; };
    std::sort(devices.begin(), devices.end(), byIp);
    QCOMPARE(devices, expected);
    QTRY_COMPARE_WITH_TIMEOUT(fixture.m_window.ListChanges(), queued, WAIT_MS);
    QVERIFY(fixture.m_discover.PeakReceivers() <= ceiling);
}

void TestReceiverLimits::oneHostCannotTakeEveryReceiver()
{
    // Far more idle connections from one host than its share; only the
    // time-out, far away, would end those it keeps.
    constexpr int flood = 40;
    const CReceiverLimits limits{.timeoutMs = WAIT_MS * 10};
    CDiscoverFixture fixture(limits);
    QVERIFY(fixture.m_discover.IsListening());

    std::vector<std::unique_ptr<CFakeAnnouncer>> idle;
    for (int i = 0; i < flood; ++i) {
        idle.push_back(std::make_unique<CFakeAnnouncer>(QStringLiteral("127.0.0.90")));
        QVERIFY(idle.back()->Connect(CDeviceDiscover::ANNOUNCE_PORT));
    }
    QTRY_COMPARE_WITH_TIMEOUT(fixture.m_discover.LiveReceivers(), limits.maxPerHost, WAIT_MS);
    // The connections beyond its share are closed at once, not kept waiting.
    int closed = 0;
    for (const auto &connection : idle) {
        QTcpSocket &socket = connection->Socket();
        closed += socket.state() == QAbstractSocket::UnconnectedState ||
                          socket.waitForDisconnected(WAIT_MS / flood)
                      ? 1
                      : 0;
    }
    QCOMPARE(closed, flood - limits.maxPerHost);
    QCOMPARE(fixture.m_discover.LiveReceivers(), limits.maxPerHost);

    // Players elsewhere are still served while the host holds its share.
    CFakeAnnouncer player(QStringLiteral("127.0.0.51"));
    QVERIFY(player.Connect(CDeviceDiscover::ANNOUNCE_PORT));
    QVERIFY(player.Send(CFakeAnnouncer::Description(51)));
    QVERIFY(player.WaitClosedByTool());
    QTRY_COMPARE_WITH_TIMEOUT(fixture.Devices().size(), 1, WAIT_MS);
    QCOMPARE(fixture.m_discover.PeakReceivers(), limits.maxPerHost + 1);
}

KESTAVON_TEST_MAIN(TestReceiverLimits)
#include "tst_receiverlimits.moc"
