#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QNetworkProxy>
#include <QTest>
#include <QUdpSocket>

#include "devicediscover.h"
#include "discoverfixture.h"
#include "isolatednetwork.h"

namespace {

constexpr int WAIT_MS = CDiscoverFixture::WAIT_MS;
constexpr int HOSTS_PER_SWEEP = 255;
// Room for two whole sweeps even when nothing is read while they are sent.
constexpr int RECEIVE_BUFFER_BYTES = 4 * 1024 * 1024;

QByteArray ExpectedProbe()
{
    QByteArray probe("tavrion.ver012.windows_x86");
    probe.append(char(0));
    probe.append(QByteArray(73, char(0)));
    return probe;
}

// Stands where every player would: the probe port on all addresses.
class CProbeCatcher
{
public:
    bool Bind()
    {
        m_socket.setProxy(QNetworkProxy::NoProxy);
        if (!m_socket.bind(QHostAddress::AnyIPv4, CDeviceDiscover::PROBE_PORT))
            return false;
        m_socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption,
                                 RECEIVE_BUFFER_BYTES);
        return true;
    }

    // Collects what has arrived; returns how many datagrams are held.
    qsizetype Collect()
    {
        while (m_socket.hasPendingDatagrams())
            m_datagrams.append(m_socket.receiveDatagram());
        return m_datagrams.size();
    }

    const QList<QNetworkDatagram> &Datagrams() const { return m_datagrams; }

    // Sends a datagram of our own; once it is collected, anything sent
    // before it has been collected too.
    void SendMarker()
    {
        QUdpSocket sender;
        sender.setProxy(QNetworkProxy::NoProxy);
        sender.writeDatagram(QByteArray("marker"), QHostAddress::LocalHost,
                             CDeviceDiscover::PROBE_PORT);
    }

private:
    QUdpSocket m_socket;
    QList<QNetworkDatagram> m_datagrams;
};

QStringList Destinations(const QList<QNetworkDatagram> &datagrams, qsizetype from, qsizetype count)
{
    QStringList destinations;
    for (qsizetype i = from; i < from + count; ++i)
        destinations.append(datagrams[i].destinationAddress().toString());
    return destinations;
}

QStringList ExpectedDestinations(const QString &prefix)
{
    QStringList destinations;
    for (int host = 1; host <= HOSTS_PER_SWEEP; ++host)
        destinations.append(prefix + QString::number(host));
    return destinations;
}

// Takes every file descriptor the process may open, under a lowered limit,
// and gives them back when it goes.
class CDescriptorExhaustion
{
public:
    static constexpr rlim_t LOWERED_LIMIT = 256;

    CDescriptorExhaustion()
    {
        getrlimit(RLIMIT_NOFILE, &m_saved);
        rlimit lowered = m_saved;
        lowered.rlim_cur = std::min(m_saved.rlim_cur, LOWERED_LIMIT);
        setrlimit(RLIMIT_NOFILE, &lowered);
        for (int fd = ::open("/dev/null", O_RDONLY); fd >= 0; fd = ::open("/dev/null", O_RDONLY))
            m_descriptors.push_back(fd);
        m_lastError = errno;
    }
    ~CDescriptorExhaustion()
    {
        for (const int fd : m_descriptors)
            ::close(fd);
        setrlimit(RLIMIT_NOFILE, &m_saved);
    }
    CDescriptorExhaustion(const CDescriptorExhaustion &) = delete;
    CDescriptorExhaustion &operator=(const CDescriptorExhaustion &) = delete;

    bool Exhausted() const { return m_lastError == EMFILE && !m_descriptors.empty(); }

private:
    rlimit m_saved{};
    std::vector<int> m_descriptors;
    int m_lastError = 0;
};

} // namespace

class TestDeviceSweep : public QObject
{
    Q_OBJECT

private slots:
    void probeBytes();
    void sweepReachesEveryHostInOrder_data();
    void sweepReachesEveryHostInOrder();
    void noNetworkPartSendsNothing_data();
    void noNetworkPartSendsNothing();
    void noSocketMeansFailure();
    void postedSweepsRunBackToBack();
    void sweepUsesAddressSetLast();
};

void TestDeviceSweep::probeBytes()
{
    QCOMPARE(CDeviceDiscover::ProbePacket(), ExpectedProbe());
    QCOMPARE(CDeviceDiscover::ProbePacket().size(), 100);
}

void TestDeviceSweep::sweepReachesEveryHostInOrder_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("own address") << QStringLiteral("127.0.0.1");
    QTest::newRow("another host") << QStringLiteral("127.0.0.200");
    QTest::newRow("trailing dot") << QStringLiteral("127.0.0.");
}

void TestDeviceSweep::sweepReachesEveryHostInOrder()
{
    QFETCH(QString, address);
    CProbeCatcher catcher;
    QVERIFY(catcher.Bind());
    CDeviceDiscover discover;
    QVERIFY(discover.Sweep(address));
    QTRY_COMPARE_WITH_TIMEOUT(catcher.Collect(), HOSTS_PER_SWEEP, WAIT_MS);

    const QList<QNetworkDatagram> &datagrams = catcher.Datagrams();
    QCOMPARE(Destinations(datagrams, 0, HOSTS_PER_SWEEP),
             ExpectedDestinations(QStringLiteral("127.0.0.")));
    for (const QNetworkDatagram &datagram : datagrams) {
        QCOMPARE(datagram.data(), ExpectedProbe());
        QCOMPARE(datagram.destinationPort(), int(CDeviceDiscover::PROBE_PORT));
    }
}

void TestDeviceSweep::noNetworkPartSendsNothing_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("empty") << QString();
    QTest::newRow("no dot") << QStringLiteral("127");
    QTest::newRow("dot first") << QStringLiteral(".1");
}

void TestDeviceSweep::noNetworkPartSendsNothing()
{
    QFETCH(QString, address);
    CProbeCatcher catcher;
    QVERIFY(catcher.Bind());
    CDeviceDiscover discover;
    QVERIFY(!discover.Sweep(address));
    catcher.SendMarker();
    QTRY_COMPARE_WITH_TIMEOUT(catcher.Collect(), 1, WAIT_MS);
    QCOMPARE(catcher.Datagrams().front().data(), QByteArray("marker"));
}

void TestDeviceSweep::noSocketMeansFailure()
{
    CProbeCatcher catcher;
    QVERIFY(catcher.Bind());
    CDeviceDiscover discover;
    {
        CDescriptorExhaustion exhaustion;
        QVERIFY(exhaustion.Exhausted());
        QVERIFY(!discover.Sweep(QStringLiteral("127.0.0.1")));
    }
    catcher.SendMarker();
    QTRY_COMPARE_WITH_TIMEOUT(catcher.Collect(), 1, WAIT_MS);
    QCOMPARE(catcher.Datagrams().front().data(), QByteArray("marker"));
}

void TestDeviceSweep::postedSweepsRunBackToBack()
{
    CProbeCatcher catcher;
    QVERIFY(catcher.Bind());
    CDiscoverFixture fixture;
    CDeviceDiscover &discover = fixture.m_discover;
    QVERIFY(discover.IsListening());
    discover.PostSweep();
    discover.PostSweep();
    QTRY_COMPARE_WITH_TIMEOUT(catcher.Collect(), 2 * HOSTS_PER_SWEEP, WAIT_MS);
    const QStringList pass = ExpectedDestinations(QStringLiteral("127.0.0."));
    QCOMPARE(Destinations(catcher.Datagrams(), 0, HOSTS_PER_SWEEP), pass);
    QCOMPARE(Destinations(catcher.Datagrams(), HOSTS_PER_SWEEP, HOSTS_PER_SWEEP), pass);
    discover.Stop();
    QVERIFY(discover.isFinished());
}

void TestDeviceSweep::sweepUsesAddressSetLast()
{
    CProbeCatcher catcher;
    QVERIFY(catcher.Bind());
    CDiscoverFixture fixture({}, CDiscoverFixture::EStart::Later);
    CDeviceDiscover &discover = fixture.m_discover;
    discover.SetSweepAddress(QStringLiteral("127.0.3.77"));
    // Posted before the thread runs: it must wait for the loop, not be lost.
    discover.PostSweep();
    fixture.Start();
    QTRY_COMPARE_WITH_TIMEOUT(catcher.Collect(), HOSTS_PER_SWEEP, WAIT_MS);
    QCOMPARE(Destinations(catcher.Datagrams(), 0, HOSTS_PER_SWEEP),
             ExpectedDestinations(QStringLiteral("127.0.3.")));
    discover.Stop();
    QVERIFY(discover.isFinished());
}

KESTAVON_TEST_MAIN(TestDeviceSweep)
#include "tst_devicesweep.moc"
