#include <pugixml.hpp>

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QUdpSocket>

#include "isolatednetwork.h"
#include "simnetwork.h"
#include "simtestclient.h"

using namespace Qt::StringLiterals;
using EKind = CSimFault::EKind;

Q_DECLARE_METATYPE(CSimFault)

namespace {

const QString kTool = u"127.0.0.1"_s;
const QString kPlayer = u"127.0.0.2"_s;
// Long enough for a loopback announcement; only reached when none comes.
constexpr int kWaitMs = 3000;
// Time allowed for an announcement that should not come.
constexpr int kQuietMs = 300;

const QByteArray kAnnouncement =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><deviceInfo><model>KS-210</model><name>Tom &amp; "
    "Jerry</name><ip>127.0.0.2</ip><udn>uuid:kestavon-0002</udn></deviceInfo>";

struct CAnnouncement
{
    QString m_strFrom;
    QList<QByteArray> m_reads;
    bool m_closed = false;
    QByteArray All() const { return m_reads.join(); }
};

// Reads one announcement from the next connection on the listener.
std::optional<CAnnouncement> Accept(QTcpServer &listener, int timeoutMs, int readMs = kWaitMs)
{
    // Qt may already have taken a second connection off the kernel's queue.
    if (!listener.hasPendingConnections() && !listener.waitForNewConnection(timeoutMs))
        return std::nullopt;
    std::unique_ptr<QTcpSocket> socket(listener.nextPendingConnection());
    CAnnouncement announcement;
    announcement.m_strFrom = socket->peerAddress().toString();
    while (socket->bytesAvailable() > 0 || socket->waitForReadyRead(readMs))
        announcement.m_reads.append(socket->readAll());
    announcement.m_closed = socket->state() == QAbstractSocket::UnconnectedState;
    return announcement;
}

void SendProbe(const QByteArray &datagram, const QString &to)
{
    QUdpSocket socket;
    QVERIFY(socket.bind(QHostAddress(kTool), 0));
    QCOMPARE(socket.writeDatagram(datagram, QHostAddress(to), SimTestClient::kProbePort),
             datagram.size());
}

QString ElementText(const QByteArray &xml, const char *xpath)
{
    pugi::xml_document document;
    if (!document.load_buffer(xml.constData(), static_cast<size_t>(xml.size())))
        return u"(not parsed)"_s;
    return QString::fromUtf8(document.select_node(xpath).node().text().get());
}

} // namespace

class TestSimDiscovery : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void validProbeIsAnsweredFromThePlayersAddress();
    void invalidProbeIsCountedAndIgnored_data();
    void invalidProbeIsCountedAndIgnored();
    void broadcastProbeReachesEveryPlayer();
    void announcementFaultIsVisibleToTheProber_data();
    void announcementFaultIsVisibleToTheProber();
    void announcementCanBeOversizedOrLate();
    void announcementWaitsForAFullQueue();

private:
    CSimNetwork m_network;
    QTcpServer m_listener;
};

void TestSimDiscovery::init()
{
    CSimPlayerConfig first = CSimPlayerConfig::ForAddress(kPlayer);
    first.m_strName = u"Tom & Jerry"_s;
    CSimPlayerConfig second = CSimPlayerConfig::ForAddress(u"127.0.0.3"_s);
    second.m_strModel = u"KS-200"_s;
    QString error;
    QVERIFY2(m_network.Start({first, second}, &error), qPrintable(error));
    QVERIFY(m_listener.listen(QHostAddress(kTool), SimTestClient::kAnnouncePort));
}

void TestSimDiscovery::cleanup()
{
    m_listener.close();
    m_network.Stop();
}

void TestSimDiscovery::validProbeIsAnsweredFromThePlayersAddress()
{
    SendProbe(SimTestClient::Probe(), kPlayer);
    const auto announcement = Accept(m_listener, kWaitMs);
    QVERIFY(announcement);
    QCOMPARE(announcement->m_strFrom, kPlayer);
    QCOMPARE(announcement->All(), kAnnouncement);
    QVERIFY(announcement->m_closed);
    QCOMPARE(m_network.ProbesReceived(kPlayer), 1);
    QCOMPARE(m_network.ProbesReceived(u"127.0.0.3"_s), 0);
}

void TestSimDiscovery::invalidProbeIsCountedAndIgnored_data()
{
    QTest::addColumn<QByteArray>("datagram");
    const QByteArray probe = SimTestClient::Probe();
    QTest::newRow("99 bytes") << probe.left(99);
    QTest::newRow("101 bytes") << probe + 'x';
    QTest::newRow("no zero after the signature") << QByteArray(probe).replace(26, 1, "x");
    QTest::newRow("another version") << QByteArray(probe).replace(11, 3, "013");
    QTest::newRow("empty") << QByteArray();
}

void TestSimDiscovery::invalidProbeIsCountedAndIgnored()
{
    QFETCH(QByteArray, datagram);
    SendProbe(datagram, kPlayer);
    QVERIFY(m_network.WaitForProbes(kPlayer, 1, kWaitMs));
    QVERIFY(!Accept(m_listener, kQuietMs));
    QCOMPARE(m_network.InvalidProbesReceived(kPlayer), 1);
    QCOMPARE(m_network.ProbesReceived(kPlayer), 0);
}

void TestSimDiscovery::broadcastProbeReachesEveryPlayer()
{
    SendProbe(SimTestClient::Probe(), u"127.255.255.255"_s);
    QStringList models;
    for (int i = 0; i < 2; ++i) {
        const auto announcement = Accept(m_listener, kWaitMs);
        QVERIFY(announcement);
        models << ElementText(announcement->All(), "/deviceInfo/model");
    }
    models.sort();
    QCOMPARE(models, (QStringList{u"KS-200"_s, u"KS-210"_s}));
}

void TestSimDiscovery::announcementFaultIsVisibleToTheProber_data()
{
    QTest::addColumn<CSimFault>("fault");
    QTest::addColumn<QByteArray>("expected"); // empty: judged by the row's own rule below
    QTest::addColumn<int>("minReads");
    const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><deviceInfo>";
    const QByteArray model = "<model>KS-210</model>";
    const QByteArray name = "<name>Tom &amp; Jerry</name>";
    const QByteArray ip = "<ip>127.0.0.2</ip>";
    const QByteArray udn = "<udn>uuid:kestavon-0002</udn>";
    const QByteArray tail = "</deviceInfo>";

    QTest::newRow("pieces") << CSimFault{.m_kind = EKind::AnnouncePieces,
                                         .m_pieceSize = 10,
                                         .m_pauseMs = 50}
                            << kAnnouncement << 2;
    QTest::newRow("closing tag split")
        << CSimFault{.m_kind = EKind::AnnounceSplitEndTag, .m_pauseMs = 200} << kAnnouncement << 2;
    QTest::newRow("nested") << CSimFault{.m_kind = EKind::AnnounceNested}
                            << head + "<device>" + model + name + ip + udn + "</device>" + tail
                            << 1;
    QTest::newRow("two ip") << CSimFault{.m_kind = EKind::AnnounceTwoIp}
                            << head + model + name + ip + "<ip>0.0.0.0</ip>" + udn + tail << 1;
    QTest::newRow("trailing text")
        << CSimFault{.m_kind = EKind::AnnounceTrailing}
        << kAnnouncement + "<?xml version=\"1.0\" encoding=\"UTF-8\"?><deviceInfo><model>" << 1;
    QTest::newRow("name missing") << CSimFault{.m_kind = EKind::AnnounceMissing,
                                               .m_text = u"name"_s}
                                  << head + model + ip + udn + tail << 1;
    QTest::newRow("silent, held at most holdMs")
        << CSimFault{.m_kind = EKind::AnnounceSilent, .m_holdMs = 100} << QByteArray() << 0;
}

void TestSimDiscovery::announcementFaultIsVisibleToTheProber()
{
    QFETCH(CSimFault, fault);
    QFETCH(QByteArray, expected);
    QFETCH(int, minReads);
    m_network.SetFault(kPlayer, fault);
    SendProbe(SimTestClient::Probe(), kPlayer);
    const auto announcement = Accept(m_listener, kWaitMs);
    QVERIFY(announcement);
    QCOMPARE(announcement->m_strFrom, kPlayer);
    QCOMPARE(announcement->All(), expected);
    QVERIFY2(announcement->m_reads.size() >= minReads,
             qPrintable(QString::number(announcement->m_reads.size())));
    if (fault.m_kind == EKind::AnnounceSplitEndTag)
        QCOMPARE(announcement->m_reads.last(), QByteArray("iceInfo>"));
    QVERIFY(announcement->m_closed);
}

void TestSimDiscovery::announcementCanBeOversizedOrLate()
{
    constexpr int kDelayMs = 300;
    m_network.SetFault(kPlayer, CSimFault{.m_kind = EKind::AnnounceOversized, .m_count = 1});
    SendProbe(SimTestClient::Probe(), kPlayer);
    const auto oversized = Accept(m_listener, kWaitMs);
    QVERIFY(oversized);
    QVERIFY2(oversized->All().size() > 100 * 1024,
             qPrintable(QString::number(oversized->All().size())));
    QCOMPARE(ElementText(oversized->All(), "/deviceInfo/ip"), kPlayer);

    m_network.SetFault(kPlayer, CSimFault{.m_kind = EKind::AnnounceDelay, .m_delayMs = kDelayMs});
    QElapsedTimer timer;
    timer.start();
    SendProbe(SimTestClient::Probe(), kPlayer);
    const auto late = Accept(m_listener, kWaitMs);
    QVERIFY(late);
    QVERIFY2(timer.elapsed() >= kDelayMs, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(late->All(), kAnnouncement);
}

void TestSimDiscovery::announcementWaitsForAFullQueue()
{
    // Past the point where a connect is given up by anything but a real TCP
    // stack, which retries its handshake for about two minutes.
    constexpr int kFullMs = 6000;
    constexpr int kAcceptWaitMs = 15000;
    m_listener.close();
    // A prober that takes no connection while its one-place queue is held.
    QTcpServer prober;
    prober.setListenBacklogSize(0);
    QVERIFY(prober.listen(QHostAddress(kTool), SimTestClient::kAnnouncePort));
    prober.pauseAccepting();
    QTcpSocket filler;
    QVERIFY(filler.bind(QHostAddress(u"127.0.0.50"_s), 0));
    filler.connectToHost(QHostAddress(kTool), SimTestClient::kAnnouncePort);
    QVERIFY(filler.waitForConnected(kWaitMs));

    SendProbe(SimTestClient::Probe(), kPlayer);
    QTest::qWait(kFullMs);
    prober.resumeAccepting();
    QVERIFY(prober.waitForNewConnection(kAcceptWaitMs));
    std::unique_ptr<QTcpSocket> first(prober.nextPendingConnection());
    QCOMPARE(first->peerAddress().toString(), u"127.0.0.50"_s);
    const auto announcement = Accept(prober, kAcceptWaitMs);
    QVERIFY(announcement);
    QCOMPARE(announcement->m_strFrom, kPlayer);
    QCOMPARE(announcement->All(), kAnnouncement);
}

KESTAVON_TEST_MAIN(TestSimDiscovery)
#include "tst_simdiscovery.moc"
