#include <memory>

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QUdpSocket>

#include "isolatednetwork.h"
#include "simnetwork.h"
#include "simtestclient.h"

using namespace Qt::StringLiterals;

namespace {

const QString kPlayer = u"127.0.0.2"_s;
constexpr quint16 kProbePort = 10013;
constexpr quint16 kAnnouncePort = 10014;
constexpr quint16 kCommandPort = 10015;
constexpr quint16 kWebPort = 80;
// Long enough that the checks below all run while the player is away.
constexpr int kAwayMs = 1500;
constexpr int kWaitMs = 5000;

bool Refused(quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(kPlayer, port);
    return !socket.waitForConnected(kWaitMs) &&
           socket.error() == QAbstractSocket::ConnectionRefusedError;
}

} // namespace

class TestSimReset : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void playerIsAwayForAWhileThenBack_data();
    void playerIsAwayForAWhileThenBack();
    void staticAddressAppliesAfterTheReboot_data();
    void staticAddressAppliesAfterTheReboot();

private:
    CSimNetwork m_network;
};

void TestSimReset::init()
{
    QString error;
    m_network.SetUnreachableTime(kAwayMs);
    QVERIFY2(m_network.Start({CSimPlayerConfig::ForAddress(kPlayer)}, &error), qPrintable(error));
}

void TestSimReset::cleanup()
{
    m_network.Stop();
}

void TestSimReset::playerIsAwayForAWhileThenBack_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("readsReply");
    QTest::newRow("resetRender") << u"resetRender"_s << true;
    QTest::newRow("rebootDevice, reply not read") << u"rebootDevice"_s << false;
}

void TestSimReset::playerIsAwayForAWhileThenBack()
{
    QFETCH(QString, operation);
    QFETCH(bool, readsReply);
    if (readsReply) {
        QCOMPARE(SimTestClient::Command(kPlayer, operation), SimTestClient::Reply(operation, {}));
    } else {
        QTcpSocket socket;
        socket.connectToHost(kPlayer, kCommandPort);
        QVERIFY(socket.waitForConnected(kWaitMs));
        socket.write(SimTestClient::Request(operation));
        QVERIFY(socket.waitForBytesWritten(kWaitMs));
        socket.abort();
        QVERIFY(m_network.WaitForRequests(kPlayer, 1, kWaitMs));
    }
    QVERIFY(!m_network.IsReachable(kPlayer));
    QVERIFY(Refused(kCommandPort));
    QVERIFY(Refused(kWebPort));

    QTcpServer listener;
    QVERIFY(listener.listen(QHostAddress(u"127.0.0.1"_s), kAnnouncePort));
    QUdpSocket prober;
    prober.writeDatagram(SimTestClient::Probe(), QHostAddress(kPlayer), kProbePort);
    QVERIFY(!listener.waitForNewConnection(300));
    QCOMPARE(m_network.ProbesReceived(kPlayer), 0);

    QVERIFY(m_network.WaitUntilReachable(kPlayer, kAwayMs + kWaitMs));
    QCOMPARE(SimTestClient::Command(kPlayer, u"getWifiOnOff"_s),
             SimTestClient::Reply(u"getWifiOnOff"_s, "<wifionoff>ON</wifionoff>"));
    QVERIFY(!Refused(kWebPort));
    prober.writeDatagram(SimTestClient::Probe(), QHostAddress(kPlayer), kProbePort);
    QVERIFY(listener.waitForNewConnection(kWaitMs));
    QCOMPARE(m_network.ProbesReceived(kPlayer), 1);
}

void TestSimReset::staticAddressAppliesAfterTheReboot_data()
{
    QTest::addColumn<QString>("setupmode");
    QTest::addColumn<QString>("ipaddress");
    QTest::addColumn<QString>("after");
    QTest::newRow("static on loopback") << u"STATIC"_s << u"127.0.0.77"_s << u"127.0.0.77"_s;
    QTest::newRow("static off loopback") << u"STATIC"_s << u"10.0.0.5"_s << kPlayer;
    QTest::newRow("static, held by another player") << u"STATIC"_s << u"127.0.0.3"_s << kPlayer;
    QTest::newRow("dhcp") << u"DHCP"_s << u"127.0.0.77"_s << kPlayer;
}

void TestSimReset::staticAddressAppliesAfterTheReboot()
{
    QFETCH(QString, setupmode);
    QFETCH(QString, ipaddress);
    QFETCH(QString, after);
    QString error;
    QVERIFY2(m_network.Start({CSimPlayerConfig::ForAddress(kPlayer),
                              CSimPlayerConfig::ForAddress(u"127.0.0.3"_s)},
                             &error),
             qPrintable(error));
    CSimPlayerState state = m_network.State(kPlayer);
    state.m_lanSetup.m_strSetupMode = setupmode;
    state.m_lanSetup.m_strIpAddress = ipaddress;
    m_network.SetState(kPlayer, state);
    // Set, but not in effect before the reboot.
    QCOMPARE(m_network.CurrentAddress(kPlayer), kPlayer);

    QCOMPARE(SimTestClient::Command(kPlayer, u"rebootDevice"_s),
             SimTestClient::Reply(u"rebootDevice"_s, {}));
    QVERIFY(m_network.WaitUntilReachable(kPlayer, kAwayMs + kWaitMs));
    QCOMPARE(m_network.CurrentAddress(kPlayer), after);
    QCOMPARE(m_network.State(kPlayer).m_strLanIp, after);
    QCOMPARE(SimTestClient::Command(after, u"getWifiOnOff"_s),
             SimTestClient::Reply(u"getWifiOnOff"_s, "<wifionoff>ON</wifionoff>"));
    if (after != kPlayer)
        QVERIFY(Refused(kCommandPort));

    // It answers probes, and announces itself, from where it is now.
    QTcpServer listener;
    QVERIFY(listener.listen(QHostAddress(u"127.0.0.1"_s), kAnnouncePort));
    QUdpSocket prober;
    prober.writeDatagram(SimTestClient::Probe(), QHostAddress(after), kProbePort);
    QVERIFY(listener.waitForNewConnection(kWaitMs));
    std::unique_ptr<QTcpSocket> announcement(listener.nextPendingConnection());
    QCOMPARE(announcement->peerAddress().toString(), after);
    QByteArray text;
    while (!text.contains("</deviceInfo>") && announcement->waitForReadyRead(kWaitMs))
        text += announcement->readAll();
    text += announcement->readAll();
    QVERIFY(text.contains((u"<ip>"_s + after + u"</ip>"_s).toUtf8()));
}

KESTAVON_TEST_MAIN(TestSimReset)
#include "tst_simreset.moc"
