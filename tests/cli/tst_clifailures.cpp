#include <QJsonObject>
#include <QTest>

#include "clirun.h"
#include "isolatednetwork.h"
#include "simnetwork.h"

namespace {

const QString PLAYER = QStringLiteral("127.0.0.2");
const QString OTHER = QStringLiteral("127.0.0.3");
const QString REFUSED = QStringLiteral("error: socket connection failed");

CSimFault Fault(CSimFault::EKind kind, const QString &operation = {})
{
    CSimFault fault;
    fault.m_kind = kind;
    fault.m_strOperation = operation;
    return fault;
}

QStringList Words(const char *text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '));
}

} // namespace

Q_DECLARE_METATYPE(CSimFault)
Q_DECLARE_METATYPE(QList<CSimFault>)

// A failed operation is reported on standard error as "ADDRESS: ERROR_TEXT"
// with the core's error text, and the exit status is 1; the other players'
// results stand.
class TestCliFailures : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void reportsTheCoreText_data();
    void reportsTheCoreText();
    void onePlayerFailingLeavesTheOthers_data();
    void onePlayerFailingLeavesTheOthers();

private:
    CSimNetwork m_network;
};

void TestCliFailures::init()
{
    QString error;
    QVERIFY2(
        m_network.Start({CSimPlayerConfig::ForAddress(PLAYER), CSimPlayerConfig::ForAddress(OTHER)},
                        &error),
        qPrintable(error));
}

void TestCliFailures::reportsTheCoreText_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QList<CSimFault>>("faults");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("requests");

    // info runs all three queries, and the first two failures make the text;
    // the same text twice is shown once.
    using Faults = QList<CSimFault>;
    QTest::newRow("connection refused")
        << Words("info") << Faults{Fault(CSimFault::EKind::Refuse)} << REFUSED << 0;
    QTest::newRow("oversized replies")
        << Words("info") << Faults{Fault(CSimFault::EKind::Oversized)}
        << QStringLiteral("error: reply too large") << 3;
    QTest::newRow("one of three queries fails")
        << Words("info")
        << Faults{Fault(CSimFault::EKind::MalformedXml, QStringLiteral("getWifiOnOff"))}
        << QStringLiteral("error: xml parsing loadXML() failed") << 3;
    QTest::newRow("errcode 0")
        << Words("name Hall")
        << Faults{Fault(CSimFault::EKind::Errcode, QStringLiteral("setDeviceName"))}
        << QStringLiteral("tavrion setup error : command=setDeviceName, errcode =0") << 1;
    QTest::newRow("wrong password")
        << Words("connect Neighbour wrong WEP") << Faults{}
        << QStringLiteral("tavrion setup error : command=connectAp, errcode =0") << 1;
    QTest::newRow("unknown profile: no reset follows")
        << Words("forget Nowhere --reset") << Faults{}
        << QStringLiteral("tavrion setup error : command=deleteProfile, errcode =0") << 1;
    QTest::newRow("status without errcode: the operation is named")
        << Words("wifi on") << Faults{Fault(CSimFault::EKind::NoErrcode)}
        << QStringLiteral("setWifiOnOff failed") << 1;
    QTest::newRow("set-up not loaded: nothing set, no reboot")
        << Words("lan dhcp --reboot")
        << Faults{Fault(CSimFault::EKind::MalformedXml, QStringLiteral("getLanSetup"))}
        << QStringLiteral("error: xml parsing loadXML() failed") << 1;
}

void TestCliFailures::reportsTheCoreText()
{
    QFETCH(QStringList, arguments);
    QFETCH(QList<CSimFault>, faults);
    QFETCH(QString, error);
    QFETCH(int, requests);

    CSimPlayerState neighbourLocked = m_network.State(PLAYER);
    neighbourLocked.m_accessPoints[1].m_strPassword = QStringLiteral("right");
    m_network.SetState(PLAYER, neighbourLocked);
    for (const CSimFault &fault : faults)
        m_network.SetFault(PLAYER, fault);

    const CCliRun run = CCliRun::Run(QStringList{QStringLiteral("--player"), PLAYER} + arguments);
    QCOMPARE(run.m_nExitCode, 1);
    QCOMPARE(run.m_strErr, PLAYER + QStringLiteral(": ") + error + u'\n');
    QCOMPARE(run.m_strOut, QString());
    QCOMPARE(m_network.ReceivedRequests(PLAYER).size(), requests);
}

void TestCliFailures::onePlayerFailingLeavesTheOthers_data()
{
    QTest::addColumn<QString>("parallel");
    QTest::newRow("one after another") << QStringLiteral("1");
    QTest::newRow("both at once") << QStringLiteral("2");
}

void TestCliFailures::onePlayerFailingLeavesTheOthers()
{
    QFETCH(QString, parallel);
    m_network.SetFault(OTHER, Fault(CSimFault::EKind::Refuse));
    const QStringList players = {QStringLiteral("--parallel"), parallel,
                                 QStringLiteral("--player"),   OTHER,
                                 QStringLiteral("--player"),   PLAYER};

    const CCliRun text = CCliRun::Run(players + Words("wifi off"));
    QCOMPARE(text.m_nExitCode, 1);
    QCOMPARE(text.m_strOut, PLAYER + QStringLiteral(": ok\n"));
    QCOMPARE(text.m_strErr, OTHER + QStringLiteral(": ") + REFUSED + u'\n');
    QVERIFY(!m_network.State(PLAYER).m_wifiOn);

    const CCliRun json =
        CCliRun::Run(QStringList{QStringLiteral("--json")} + players + Words("wifi on"));
    QCOMPARE(json.m_nExitCode, 1);
    QCOMPARE(json.m_strErr, QString());
    const QJsonArray entries = json.Json();
    QCOMPARE(entries.size(), 2);
    const QJsonObject failed = entries.at(0).toObject();
    QCOMPARE(failed.value(QStringLiteral("player")).toString(), OTHER);
    QCOMPARE(failed.value(QStringLiteral("ok")), QJsonValue(false));
    QCOMPARE(failed.value(QStringLiteral("error")).toString(), REFUSED);
    QCOMPARE(failed.value(QStringLiteral("result")), QJsonValue(QJsonValue::Null));
    const QJsonObject done = entries.at(1).toObject();
    QCOMPARE(done.value(QStringLiteral("player")).toString(), PLAYER);
    QCOMPARE(done.value(QStringLiteral("ok")), QJsonValue(true));
    QCOMPARE(done.value(QStringLiteral("result")).toObject().value(QStringLiteral("wifionoff")),
             QJsonValue(1));
    QVERIFY(m_network.State(PLAYER).m_wifiOn);
}

KESTAVON_TEST_MAIN(TestCliFailures)
#include "tst_clifailures.moc"
