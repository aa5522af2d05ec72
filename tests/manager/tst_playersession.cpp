#include <thread>

#include <QTest>

#include "isolatednetwork.h"
#include "playersession.h"
#include "simnetwork.h"

namespace {

const QString kDen = QStringLiteral("127.0.0.2");
const QString kKitchen = QStringLiteral("127.0.0.3");
const QString kNobody = QStringLiteral("127.0.0.30");

// What one session read on its own thread.
class CReading
{
public:
    int m_nResult = -1;
    QString m_strName;
    QString m_strFirmware;
    QStringList m_errors;
    QString m_strUnreached;
};

CReading ReadOnOwnThread(const QString &ip)
{
    CReading reading;
    std::thread worker([&reading, ip] {
        CPlayerSession session;
        session.TargetDevice(ip);
        reading.m_nResult = session.FetchDeviceData();
        reading.m_strName = session.GetDevice().devicename;
        reading.m_strFirmware = session.GetDevice().firmversion;
        reading.m_errors = session.GetCommandErrors();
        reading.m_strUnreached = session.GetUnreachedText();
    });
    worker.join();
    return reading;
}

} // namespace

class TestPlayerSession : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void aSessionWorksAloneOnItsThread();
    void sessionsKeepTheirPlayersApart();
    void theListedNameNamesAnUnreachedPlayer_data();
    void theListedNameNamesAnUnreachedPlayer();
    void firmwareIsFetchedOnlyFromADottedAddress();

private:
    CSimNetwork m_network;
};

void TestPlayerSession::initTestCase()
{
    CSimPlayerConfig den = CSimPlayerConfig::ForAddress(kDen);
    den.m_strName = den.m_state.m_strDeviceName = QStringLiteral("Den");
    CSimPlayerConfig kitchen = CSimPlayerConfig::ForAddress(kKitchen);
    kitchen.m_strName = kitchen.m_state.m_strDeviceName = QStringLiteral("Kitchen");
    QString error;
    QVERIFY2(m_network.Start({den, kitchen}, &error), qPrintable(error));
}

// No discovery, no adapters, no manager: a worker thread makes a session and
// reads a player through it.
void TestPlayerSession::aSessionWorksAloneOnItsThread()
{
    const CReading reading = ReadOnOwnThread(kDen);
    QCOMPARE(reading.m_nResult, 1);
    QCOMPARE(reading.m_strName, QStringLiteral("Den"));
    QVERIFY(!reading.m_strFirmware.isEmpty());
    QVERIFY(reading.m_errors.isEmpty());
    QVERIFY(reading.m_strUnreached.isEmpty());
}

void TestPlayerSession::sessionsKeepTheirPlayersApart()
{
    CPlayerSession den;
    CPlayerSession nobody;
    den.TargetDevice(kDen);
    nobody.TargetDevice(kNobody);
    QCOMPARE(nobody.GetDeviceName(), 0);
    QCOMPARE(den.GetDeviceName(), 1);

    QCOMPARE(den.GetDevice().devicename, QStringLiteral("Den"));
    QVERIFY(den.GetErrorRecords().isEmpty());
    QVERIFY(den.GetUnreachedText().isEmpty());
    QVERIFY(nobody.GetDevice().devicename.isEmpty());
    QCOMPARE(nobody.GetErrorRecords().size(), 1);
    QCOMPARE(nobody.GetUnreachedText(),
             QStringLiteral("The player at 127.0.0.30 could not be reached."));

    // Aiming at another player forgets what the one before answered.
    den.TargetDevice(kKitchen);
    QVERIFY(den.GetDevice().devicename.isEmpty());
    QCOMPARE(den.GetDevice().ip, kKitchen);
    QCOMPARE(den.GetDeviceName(), 1);
    QCOMPARE(den.GetDevice().devicename, QStringLiteral("Kitchen"));
}

void TestPlayerSession::theListedNameNamesAnUnreachedPlayer_data()
{
    QTest::addColumn<QString>("listedIp");
    QTest::addColumn<QString>("unreached");
    QTest::newRow("listed at the address") << kNobody
                                           << QStringLiteral("The player \"Attic\" at "
                                                             "127.0.0.30 could not be reached.");
    QTest::newRow("listed elsewhere")
        << kDen << QStringLiteral("The player at 127.0.0.30 could not be reached.");
}

void TestPlayerSession::theListedNameNamesAnUnreachedPlayer()
{
    QFETCH(QString, listedIp);
    QFETCH(QString, unreached);
    CPlayerSession session;
    session.ChooseListed(QStringLiteral("Attic"), listedIp);
    QCOMPARE(session.GetListedName(), QStringLiteral("Attic"));
    QCOMPARE(session.GetListedIp(), listedIp);
    // Chosen, but aimed at nobody yet.
    QVERIFY(session.GetDevice().ip.isEmpty());
    session.TargetDevice(kNobody);
    QCOMPARE(session.RebootDevice(), 0);
    QCOMPARE(session.GetUnreachedText(), unreached);

    // The next user action starts without the old failure.
    session.TargetDevice(kDen);
    QCOMPARE(session.GetDeviceName(), 1);
    QVERIFY(session.GetUnreachedText().isEmpty());
    QVERIFY(session.GetCommandErrors().isEmpty());
}

void TestPlayerSession::firmwareIsFetchedOnlyFromADottedAddress()
{
    CPlayerSession session;
    session.TargetDevice(kDen);
    const qsizetype before = m_network.ReceivedRequests(kDen).size();
    QCOMPARE(session.UpdateFirmware(QStringLiteral("host.example")), 0);
    QCOMPARE(session.GetCommandErrors(),
             QStringList{QStringLiteral("error: socket connection failed")});
    QCOMPARE(m_network.ReceivedRequests(kDen).size(), before);
}

KESTAVON_TEST_MAIN(TestPlayerSession)
#include "tst_playersession.moc"
