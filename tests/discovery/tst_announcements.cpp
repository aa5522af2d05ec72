#include <QMutexLocker>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTest>

#include "devicediscover.h"
#include "fakeannouncer.h"
#include "fakedevicesink.h"
#include "fakemainwindow.h"
#include "isolatednetwork.h"

namespace {

using Device = CFakeDeviceSink::Device;
using Pieces = QList<QByteArray>;

// Long enough for a loaded machine; only reached when something is broken.
constexpr int WAIT_MS = 10000;
constexpr int LONG_RECEIVE_TIMEOUT_MS = 10 * WAIT_MS;

const QByteArray kDescription = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                                "<deviceInfo><model>KS-200</model><name>Living Room</name>"
                                "<ip>127.0.0.21</ip><udn>uuid:5a1e-0001</udn></deviceInfo>";

const Device kDevice{QStringLiteral("KS-200"), QStringLiteral("Living Room"),
                     QStringLiteral("127.0.0.21"), QStringLiteral("uuid:5a1e-0001")};

} // namespace

Q_DECLARE_METATYPE(Device)

class TestAnnouncements : public QObject
{
    Q_OBJECT

private slots:
    void announcement_data();
    void announcement();
    void twoReceiversAtOnce();
    void portTakenMeansNotListening();
    void stopWithLiveReceiver();

private:
    QList<Device> Devices(CDeviceDiscover &discover, const CFakeDeviceSink &sink)
    {
        const QMutexLocker locker(&discover.Lock());
        return sink.Devices();
    }
};

void TestAnnouncements::announcement_data()
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
    QTest::newRow("other root")
        << Pieces{"<Tavrion><model>KS-100</model><name>Den</name><ip>127.0.0.22</ip>"
                  "<udn>uuid:2</udn></Tavrion>"}
        << true
        << Device{QStringLiteral("KS-100"), QStringLiteral("Den"), QStringLiteral("127.0.0.22"),
                  QStringLiteral("uuid:2")};
    QTest::newRow("nested elements")
        << Pieces{"<deviceInfo><device><model>KS-200</model><info><name>Living <b>Room</b>"
                  "</name></info></device><net><ip>127.0.0.21</ip></net>"
                  "<udn>uuid:5a1e-0001</udn></deviceInfo>"}
        << true << kDevice;
    QTest::newRow("first ip wins")
        << Pieces{"<deviceInfo><model>KS-200</model><name>Living Room</name>"
                  "<ip>127.0.0.21</ip><ip>127.0.0.99</ip><udn>uuid:5a1e-0001</udn></deviceInfo>"}
        << true << kDevice;
    const QByteArray kitchen = "<deviceInfo><model>KS-200</model><name>K\xc3\xbc"
                               "che</name><ip>127.0.0.23</ip><udn>uuid:3</udn></deviceInfo>";
    const qsizetype insideUmlaut = kitchen.indexOf('\xc3') + 1;
    QTest::newRow("character split across reads")
        << Pieces{kitchen.left(insideUmlaut), kitchen.mid(insideUmlaut)} << true
        << Device{QStringLiteral("KS-200"), QStringLiteral("K\u00fcche"),
                  QStringLiteral("127.0.0.23"), QStringLiteral("uuid:3")};
    QTest::newRow("second document follows")
        << Pieces{kDescription + "<deviceInfo><model>"} << false << Device{};
    // Reading goes on past a zero byte: the closing tag after it still ends
    // the announcement (the zero byte then makes the text unusable).
    QTest::newRow("zero byte before closing tag")
        << Pieces{QByteArray("<deviceInfo><model>KS-200</model>") + QByteArray(1, char(0)) +
                  QByteArray("</deviceInfo>")}
        << false << Device{};
    QTest::newRow("udn missing")
        << Pieces{"<deviceInfo><model>KS-200</model><name>Living Room</name>"
                  "<ip>127.0.0.21</ip></deviceInfo>"}
        << false << Device{};
    QTest::newRow("not well-formed")
        << Pieces{"<deviceInfo><model>KS-200</name><name>x</name><ip>1</ip><udn>u</udn>"
                  "</deviceInfo>"}
        << false << Device{};
}

void TestAnnouncements::announcement()
{
    QFETCH(Pieces, pieces);
    QFETCH(bool, found);
    QFETCH(Device, device);

    CFakeMainWindow window;
    CFakeDeviceSink sink(&window);
    CDeviceDiscover discover;
    discover.SetParams(&sink, QStringLiteral("127.0.0.1"));
    // Far beyond the waits below: only the end of the announcement may close.
    discover.SetReceiverTimeout(LONG_RECEIVE_TIMEOUT_MS);
    discover.start();
    QVERIFY(discover.IsListening());

    CFakeAnnouncer player(QStringLiteral("127.0.0.21"));
    QVERIFY(player.Connect(CDeviceDiscover::ANNOUNCE_PORT));
    QVERIFY(player.SendPieces(pieces));
    // The player is handed over before the tool closes the connection.
    QVERIFY(player.WaitClosedByTool());
    QTRY_COMPARE_WITH_TIMEOUT(discover.LiveReceivers(), 0, WAIT_MS);

    const QList<Device> expected = found ? QList<Device>{device} : QList<Device>{};
    QCOMPARE(Devices(discover, sink), expected);
    QTRY_COMPARE_WITH_TIMEOUT(window.ListChanges(), int(expected.size()), WAIT_MS);
    discover.Stop();
    QVERIFY(discover.isFinished());
    QCOMPARE(window.ListChanges(), int(expected.size()));
}

void TestAnnouncements::twoReceiversAtOnce()
{
    CFakeMainWindow window;
    CFakeDeviceSink sink(&window);
    CDeviceDiscover discover;
    discover.SetParams(&sink, QStringLiteral("127.0.0.1"));
    discover.start();
    QVERIFY(discover.IsListening());

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
    QTRY_COMPARE_WITH_TIMEOUT(discover.LiveReceivers(), 2, WAIT_MS);

    QVERIFY(two.Send(second.mid(20)));
    QVERIFY(two.WaitClosedByTool());
    QTRY_COMPARE_WITH_TIMEOUT(window.ListChanges(), 1, WAIT_MS);
    QVERIFY(one.Send(first.mid(20)));
    QVERIFY(one.WaitClosedByTool());
    QTRY_COMPARE_WITH_TIMEOUT(window.ListChanges(), 2, WAIT_MS);
    QTRY_COMPARE_WITH_TIMEOUT(discover.LiveReceivers(), 0, WAIT_MS);

    const QList<Device> expected{{QStringLiteral("KS-2"), QStringLiteral("Two"),
                                  QStringLiteral("127.0.0.32"), QStringLiteral("uuid:2")},
                                 {QStringLiteral("KS-1"), QStringLiteral("One"),
                                  QStringLiteral("127.0.0.31"), QStringLiteral("uuid:1")}};
    QCOMPARE(Devices(discover, sink), expected);
    QCOMPARE(discover.PeakReceivers(), 2);
}

void TestAnnouncements::portTakenMeansNotListening()
{
    QTcpServer squatter;
    squatter.setProxy(QNetworkProxy::NoProxy);
    QVERIFY(squatter.listen(QHostAddress::AnyIPv4, CDeviceDiscover::ANNOUNCE_PORT));
    CFakeMainWindow window;
    CFakeDeviceSink sink(&window);
    CDeviceDiscover discover;
    discover.SetParams(&sink, QStringLiteral("127.0.0.1"));
    discover.start();
    QVERIFY(!discover.IsListening());
    QVERIFY(discover.wait(WAIT_MS));
    discover.Stop();
}

void TestAnnouncements::stopWithLiveReceiver()
{
    CFakeMainWindow window;
    CFakeDeviceSink sink(&window);
    CDeviceDiscover discover;
    discover.SetParams(&sink, QStringLiteral("127.0.0.1"));
    discover.start();
    QVERIFY(discover.IsListening());

    CFakeAnnouncer player(QStringLiteral("127.0.0.41"));
    QVERIFY(player.Connect(CDeviceDiscover::ANNOUNCE_PORT));
    QVERIFY(player.Send("<deviceInfo><model>"));
    QTRY_COMPARE_WITH_TIMEOUT(discover.LiveReceivers(), 1, WAIT_MS);
    // The default receive time-out is far away; stopping must not wait for it.
    discover.Stop();
    QVERIFY(discover.isFinished());
    QVERIFY(!discover.IsListening());
    QCOMPARE(discover.LiveReceivers(), 0);
    QVERIFY(player.WaitClosedByTool());
    QVERIFY(Devices(discover, sink).isEmpty());
}

KESTAVON_TEST_MAIN(TestAnnouncements)
#include "tst_announcements.moc"
