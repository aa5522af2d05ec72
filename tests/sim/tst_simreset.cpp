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

KESTAVON_TEST_MAIN(TestSimReset)
#include "tst_simreset.moc"
