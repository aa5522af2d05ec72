#include <thread>

#include <QElapsedTimer>
#include <QMutexLocker>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTest>

#include "discoverfixture.h"
#include "fakeannouncer.h"
#include "isolatednetwork.h"

namespace {

using Device = CFakeDeviceSink::Device;
using Pieces = QList<QByteArray>;

constexpr int WAIT_MS = CDiscoverFixture::WAIT_MS;
// Far beyond the waits below: only the end of the announcement may close.
const CReceiverLimits kPatient{.timeoutMs = 10 * WAIT_MS};

const QByteArray kDescription = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                                "<deviceInfo><model>KS-200</model><name>Living Room</name>"
                                "<ip>127.0.0.21</ip><udn>uuid:5a1e-0001</udn></deviceInfo>";

const Device kDevice{QStringLiteral("KS-200"), QStringLiteral("Living Room"),
                     QStringLiteral("127.0.0.21"), QStringLiteral("uuid:5a1e-0001")};

// kDescription padded with a comment to exactly size bytes.
QByteArray PaddedDescription(qsizetype size)
{
    const qsizetype end = kDescription.indexOf("</deviceInfo>");
    const QByteArray head = kDescription.left(end) + "<!--";
    const QByteArray tail = "--></deviceInfo>";
    return head + QByteArray(size - head.size() - tail.size(), 'x') + tail;
}

// Sends bytes from host's address and waits for the tool to close.
bool Announce(int host, const QByteArray &bytes)
{
    CFakeAnnouncer player(QStringLiteral("127.0.0.%1").arg(host));
    return player.Connect(CDeviceDiscover::ANNOUNCE_PORT) && player.Send(bytes) &&
           player.WaitClosedByTool();
}

} // namespace

Q_DECLARE_METATYPE(Device)

class TestAnnouncements : public QObject
{
    Q_OBJECT

private slots:
    void readsAcrossPieces_data();
    void readsAcrossPieces();
    void onlyNewPlayersChangeTheList();
    void aPlayerSpeaksOnlyForItself_data();
    void aPlayerSpeaksOnlyForItself();
    void twoReceiversAtOnce();
    void portTakenMeansNotListening();
    void stopWithLiveReceiver();
    void stopWaitsForAReceiverHandingOver();
};

void TestAnnouncements::readsAcrossPieces_data()
{
    QTest::addColumn<Pieces>("pieces");
    QTest::addColumn<bool>("found");
    QTest::addColumn<Device>("device");

    QTest::newRow("one piece") << Pieces{kDescription} << true << kDevice;
    QTest::newRow("several pieces")
        << Pieces{kDescription.left(10), kDescription.mid(10, 50), kDescription.mid(60)} << true
        << kDevice;
    const qsizetype split = kDescription.size() - qsizetype(sizeof("Info>") - 1);
    QTest::newRow("closing tag split")
        << Pieces{kDescription.left(split), kDescription.mid(split)} << true << kDevice;
    const QByteArray kitchen = "<deviceInfo><model>KS-200</model><name>K\xc3\xbc"
                               "che</name><ip>127.0.0.23</ip><udn>uuid:3</udn></deviceInfo>";
    const qsizetype insideUmlaut = kitchen.indexOf('\xc3') + 1;
    QTest::newRow("character split across reads")
        << Pieces{kitchen.left(insideUmlaut), kitchen.mid(insideUmlaut)} << true
        << Device{QStringLiteral("KS-200"), QStringLiteral("K\u00fcche"),
                  QStringLiteral("127.0.0.23"), QStringLiteral("uuid:3")};
    // A read ending in the first byte of a two-byte character, the next
    // starting with the closing tag: no decoder may swallow the tag's "<".
    const QByteArray head = kDescription.left(kDescription.indexOf("</deviceInfo>"));
    QTest::newRow("lone lead byte before closing tag")
        << Pieces{head + "\xc3", "</deviceInfo>"} << true << kDevice;
    // Text after the closing tag in the same burst makes the announcement
    // unusable, also when the tag ends exactly where a small read would.
    QTest::newRow("second document after 4 KiB")
        << Pieces{PaddedDescription(4096) + "<deviceInfo><model>"} << false << Device{};
}

void TestAnnouncements::readsAcrossPieces()
{
    QFETCH(Pieces, pieces);
    QFETCH(bool, found);
    QFETCH(Device, device);

    CDiscoverFixture fixture(kPatient);
    QVERIFY(fixture.m_discover.IsListening());
    // Sent from the address it names, as a player does.
    CFakeAnnouncer player(found ? device.m_strIp : QStringLiteral("127.0.0.21"));
    QVERIFY(player.Connect(CDeviceDiscover::ANNOUNCE_PORT));
    QVERIFY(player.SendPieces(pieces));
    // The player is handed over before the tool closes the connection.
    QVERIFY(player.WaitClosedByTool());
    QTRY_COMPARE_WITH_TIMEOUT(fixture.m_discover.LiveReceivers(), 0, WAIT_MS);

    const QList<Device> expected = found ? QList<Device>{device} : QList<Device>{};
    QCOMPARE(fixture.Devices(), expected);
    QTRY_COMPARE_WITH_TIMEOUT(fixture.m_window.ListChanges(), int(expected.size()), WAIT_MS);
    fixture.m_discover.Stop();
    QVERIFY(fixture.m_discover.isFinished());
    QCOMPARE(fixture.m_window.ListChanges(), int(expected.size()));
}

void TestAnnouncements::onlyNewPlayersChangeTheList()
{
    CDiscoverFixture fixture(kPatient);
    QVERIFY(fixture.m_discover.IsListening());
    // A new player, its repeat, one without a usable address, a second player.
    QVERIFY(Announce(31, CFakeAnnouncer::Description(31)));
    QVERIFY(Announce(31, CFakeAnnouncer::Description(31).replace("Player 31", "Renamed")));
    QVERIFY(Announce(33, CFakeAnnouncer::Description(33).replace("127.0.0.33", "")));
    QVERIFY(Announce(32, CFakeAnnouncer::Description(32)));
    QTRY_COMPARE_WITH_TIMEOUT(fixture.m_discover.LiveReceivers(), 0, WAIT_MS);
    QCOMPARE(fixture.Devices().size(), 2);
    QCOMPARE(fixture.Devices().first().m_strName, QStringLiteral("Player 31"));
    // Posted messages arrive in order: once the second player's is here,
    // any the repeat or the bad one had caused would be too.
    QTRY_COMPARE_WITH_TIMEOUT(fixture.m_window.ListChanges(), 2, WAIT_MS);
    QCoreApplication::processEvents();
    QCOMPARE(fixture.m_window.ListChanges(), 2);
}

void TestAnnouncements::aPlayerSpeaksOnlyForItself_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("claimed");
    QTest::addColumn<bool>("listed");

    QTest::newRow("a player naming its own address is listed") << 9 << 9 << true;
    QTest::newRow("a host naming a third address is dropped") << 1 << 9 << false;
    QTest::newRow("a player naming its neighbour is dropped") << 9 << 10 << false;
}

void TestAnnouncements::aPlayerSpeaksOnlyForItself()
{
    QFETCH(int, from);
    QFETCH(int, claimed);
    QFETCH(bool, listed);

    CDiscoverFixture fixture(kPatient);
    QVERIFY(fixture.m_discover.IsListening());
    QVERIFY(Announce(from, CFakeAnnouncer::Description(claimed)));
    // The receiver has handed over whatever it was going to before it ends.
    QTRY_COMPARE_WITH_TIMEOUT(fixture.m_discover.LiveReceivers(), 0, WAIT_MS);
    const QString address = QStringLiteral("127.0.0.%1").arg(claimed);
    const QList<Device> expected =
        listed ? QList<Device>{{QStringLiteral("KS-200"), QStringLiteral("Player %1").arg(claimed),
                                address, QStringLiteral("uuid:%1").arg(claimed)}}
               : QList<Device>{};
    QCOMPARE(fixture.Devices(), expected);
}

void TestAnnouncements::twoReceiversAtOnce()
{
    CDiscoverFixture fixture;
    QVERIFY(fixture.m_discover.IsListening());

    const QByteArray first = "<deviceInfo><model>KS-1</model><name>One</name>"
                             "<ip>127.0.0.31</ip><udn>uuid:1</udn></deviceInfo>";
    const QByteArray second = "<Tavrion><model>KS-2</model><name>Two</name>"
                              "<ip>127.0.0.32</ip><udn>uuid:2</udn></Tavrion>";
    CFakeAnnouncer one(QStringLiteral("127.0.0.31"));
    CFakeAnnouncer two(QStringLiteral("127.0.0.32"));
    QVERIFY(one.Connect(CDeviceDiscover::ANNOUNCE_PORT));
    QVERIFY(two.Connect(CDeviceDiscover::ANNOUNCE_PORT));
    QVERIFY(one.Send(first.left(20)));
    QVERIFY(two.Send(second.left(20)));
    QTRY_COMPARE_WITH_TIMEOUT(fixture.m_discover.LiveReceivers(), 2, WAIT_MS);

    QVERIFY(two.Send(second.mid(20)));
    QVERIFY(two.WaitClosedByTool());
    QTRY_COMPARE_WITH_TIMEOUT(fixture.m_window.ListChanges(), 1, WAIT_MS);
    QVERIFY(one.Send(first.mid(20)));
    QVERIFY(one.WaitClosedByTool());
    QTRY_COMPARE_WITH_TIMEOUT(fixture.m_window.ListChanges(), 2, WAIT_MS);
    QTRY_COMPARE_WITH_TIMEOUT(fixture.m_discover.LiveReceivers(), 0, WAIT_MS);

    const QList<Device> expected{{QStringLiteral("KS-2"), QStringLiteral("Two"),
                                  QStringLiteral("127.0.0.32"), QStringLiteral("uuid:2")},
                                 {QStringLiteral("KS-1"), QStringLiteral("One"),
                                  QStringLiteral("127.0.0.31"), QStringLiteral("uuid:1")}};
    QCOMPARE(fixture.Devices(), expected);
    QCOMPARE(fixture.m_discover.PeakReceivers(), 2);
}

void TestAnnouncements::portTakenMeansNotListening()
{
    QTcpServer squatter;
    squatter.setProxy(QNetworkProxy::NoProxy);
    QVERIFY(squatter.listen(QHostAddress::AnyIPv4, CDeviceDiscover::ANNOUNCE_PORT));
    CDiscoverFixture fixture;
    QVERIFY(!fixture.m_discover.IsListening());
    QVERIFY(fixture.m_discover.wait(WAIT_MS));
}

void TestAnnouncements::stopWithLiveReceiver()
{
    CDiscoverFixture fixture;
    QVERIFY(fixture.m_discover.IsListening());

    CFakeAnnouncer player(QStringLiteral("127.0.0.41"));
    QVERIFY(player.Connect(CDeviceDiscover::ANNOUNCE_PORT));
    QVERIFY(player.Send("<deviceInfo><model>"));
    QTRY_COMPARE_WITH_TIMEOUT(fixture.m_discover.LiveReceivers(), 1, WAIT_MS);
    // The default receive time-out is far away; stopping must not wait for it.
    fixture.m_discover.Stop();
    QVERIFY(fixture.m_discover.isFinished());
    QVERIFY(!fixture.m_discover.IsListening());
    QCOMPARE(fixture.m_discover.LiveReceivers(), 0);
    QVERIFY(player.WaitClosedByTool());
    QVERIFY(fixture.Devices().isEmpty());
}

void TestAnnouncements::stopWaitsForAReceiverHandingOver()
{
    // Longer than any grace period a stop might give its receivers.
    constexpr int HOLD_MS = 3000;
    CDiscoverFixture fixture;
    QVERIFY(fixture.m_discover.IsListening());

    // Someone holds the device list (as the front end does while it reads
    // it) while a player's announcement completes: its receiver waits.
    std::atomic<bool> held{false};
    std::thread holder([&] {
        const QMutexLocker locker(&fixture.m_discover.Lock());
        held = true;
        QThread::msleep(HOLD_MS);
    });
    QTRY_VERIFY_WITH_TIMEOUT(held.load(), WAIT_MS);
    CFakeAnnouncer player(QStringLiteral("127.0.0.42"));
    QVERIFY(player.Connect(CDeviceDiscover::ANNOUNCE_PORT));
    QVERIFY(player.Send(CFakeAnnouncer::Description(42)));
    QTRY_COMPARE_WITH_TIMEOUT(fixture.m_discover.LiveReceivers(), 1, WAIT_MS);

    fixture.m_discover.Stop();
    // Nothing of discovery may run once Stop() has returned: the owner
    // deletes the sink next. Whether the player got in before the stop is
    // a matter of timing; that it does not get in after is not.
    QCOMPARE(fixture.m_discover.LiveReceivers(), 0);
    const QList<Device> atStop = fixture.Devices();
    holder.join();
    QTest::qWait(HOLD_MS / 10);
    QCOMPARE(fixture.Devices(), atStop);
}

KESTAVON_TEST_MAIN(TestAnnouncements)
#include "tst_announcements.moc"
