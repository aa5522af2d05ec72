#include <QJsonObject>
#include <QTest>

#include "clirun.h"
#include "isolatednetwork.h"
#include "simnetwork.h"

namespace {

const QString WAIT = QStringLiteral("1");
const QString CONFIGURED = QStringLiteral("127.0.0.2");
const QString REFUSING = QStringLiteral("127.0.0.3");
const QString OTHER_CLASS = QStringLiteral("127.0.0.4");
// Announces the udn of the configured player.
const QString CLAIMING = QStringLiteral("127.0.0.5");

// A player whose every column differs from the defaults, its name holding
// what CSV must quote.
CSimPlayerConfig Configured()
{
    CSimPlayerConfig config = CSimPlayerConfig::ForAddress(CONFIGURED);
    config.m_strName = QStringLiteral("Hall, \"upstairs\"");
    config.m_state.m_wifiOn = false;
    config.m_state.m_strFirmVersion = QStringLiteral("2.4.1");
    config.m_state.m_lanSetup.m_strSetupMode = QStringLiteral("STATIC");
    return config;
}

CSimPlayerConfig Refusing()
{
    CSimPlayerConfig config = CSimPlayerConfig::ForAddress(REFUSING);
    config.m_faults = {CSimFault{.m_kind = CSimFault::EKind::Refuse}};
    return config;
}

CSimPlayerConfig OtherClass()
{
    CSimPlayerConfig config = CSimPlayerConfig::ForAddress(OTHER_CLASS);
    config.m_strModel = QStringLiteral("KS-200");
    return config;
}

QJsonObject Row(const CSimPlayerConfig &c, int modelClass, bool read, const QJsonValue &error)
{
    const auto ifRead = [read](const QJsonValue &value) {
        return read ? value : QJsonValue(QJsonValue::Null);
    };
    const auto mode = [](const QString &setupmode) { return setupmode.toLower(); };
    return {{QStringLiteral("name"), c.m_strName},
            {QStringLiteral("model"), c.m_strModel},
            {QStringLiteral("modelClass"), modelClass},
            {QStringLiteral("ip"), c.m_strAddress},
            {QStringLiteral("udn"), c.m_strUdn},
            {QStringLiteral("firmversion"), ifRead(c.m_state.m_strFirmVersion)},
            {QStringLiteral("serialnumber"), ifRead(c.m_state.m_strSerialNumber)},
            {QStringLiteral("lanmac"), ifRead(c.m_state.m_strLanMac)},
            {QStringLiteral("wifimac"), ifRead(c.m_state.m_strWifiMac)},
            {QStringLiteral("lanip"), ifRead(c.m_state.m_strLanIp)},
            {QStringLiteral("wifiip"), ifRead(c.m_state.m_strWifiIp)},
            {QStringLiteral("wifionoff"), ifRead(c.m_state.m_wifiOn)},
            {QStringLiteral("lanmode"), ifRead(mode(c.m_state.m_lanSetup.m_strSetupMode))},
            {QStringLiteral("wlanmode"), ifRead(mode(c.m_state.m_wifiSetup.m_strSetupMode))},
            {QStringLiteral("duplicateUdn"), false},
            {QStringLiteral("error"), error}};
}

} // namespace

// inventory lists every discovered player by address with what the
// configurable ones report; one that does not answer keeps its discovery
// fields and names its error.
class TestCliInventory : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void jsonHasEveryColumnTyped_data();
    void jsonHasEveryColumnTyped();
    void csvQuotesAndKeepsEmptyCells();
    void textIsATable();
    void subnetSweepsOnlyItsHosts_data();
    void subnetSweepsOnlyItsHosts();
    void duplicateUdnIsMarked_data();
    void duplicateUdnIsMarked();

private:
    CSimNetwork m_network;
};

void TestCliInventory::init()
{
    QString error;
    QVERIFY2(m_network.Start({Configured(), Refusing(), OtherClass()}, &error), qPrintable(error));
}

void TestCliInventory::jsonHasEveryColumnTyped_data()
{
    QTest::addColumn<QString>("parallel");
    QTest::newRow("one after another") << QStringLiteral("1");
    QTest::newRow("all at once") << QStringLiteral("3");
}

void TestCliInventory::jsonHasEveryColumnTyped()
{
    QFETCH(QString, parallel);
    const CCliRun run =
        CCliRun::Run({QStringLiteral("--json"), QStringLiteral("inventory"),
                      QStringLiteral("--wait"), WAIT, QStringLiteral("--parallel"), parallel});
    QVERIFY2(run.m_nExitCode == 1, run.Describe());
    QCOMPARE(run.Json(), (QJsonArray{Row(Configured(), 2, true, QJsonValue::Null),
                                     Row(Refusing(), 2, false,
                                         QStringLiteral("error: socket connection failed")),
                                     Row(OtherClass(), 1, false, QJsonValue::Null)}));
    // Reading changes nothing, and the other class is not spoken to.
    QCOMPARE(m_network.State(CONFIGURED).m_strDeviceName, Configured().m_strName);
    QCOMPARE(m_network.ReceivedRequests(OTHER_CLASS), QList<QByteArray>());
}

void TestCliInventory::csvQuotesAndKeepsEmptyCells()
{
    m_network.ClearFaults(REFUSING);
    const CCliRun run = CCliRun::Run(
        {QStringLiteral("--csv"), QStringLiteral("inventory"), QStringLiteral("--wait"), WAIT});
    QVERIFY2(run.m_nExitCode == 0, run.Describe());
    QCOMPARE(
        run.m_strOut,
        QStringLiteral("name,model,modelClass,ip,udn,firmversion,serialnumber,lanmac,wifimac,lanip,"
                       "wifiip,wifionoff,lanmode,wlanmode,duplicateUdn,error\r\n"
                       "\"Hall, \"\"upstairs\"\"\",KS-210,2,127.0.0.2,uuid:kestavon-0002,2.4.1,"
                       "KS2100002,02:4B:53:00:00:02,02:4B:53:01:00:02,127.0.0.2,0.0.0.0,off,static,"
                       "dhcp,,\r\n"
                       "Player 3,KS-210,2,127.0.0.3,uuid:kestavon-0003,1.0.0,KS2100003,"
                       "02:4B:53:00:00:03,02:4B:53:01:00:03,127.0.0.3,0.0.0.0,on,dhcp,dhcp,,\r\n"
                       "Player 4,KS-200,1,127.0.0.4,uuid:kestavon-0004,,,,,,,,,,,\r\n"));
}

void TestCliInventory::textIsATable()
{
    const CCliRun run = CCliRun::Run({QStringLiteral("inventory"), QStringLiteral("--wait"), WAIT});
    QCOMPARE(run.m_nExitCode, 1);
    const QStringList lines = run.m_strOut.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines.at(0).simplified(),
             QStringLiteral("NAME MODEL MODELCLASS IP UDN FIRMVERSION SERIALNUMBER LANMAC WIFIMAC "
                            "LANIP WIFIIP WIFIONOFF LANMODE WLANMODE ERROR"));
    QVERIFY2(lines.at(2).startsWith(QStringLiteral("Player 3")), qPrintable(lines.at(2)));
    QVERIFY2(lines.at(2).endsWith(QStringLiteral("error: socket connection failed")),
             qPrintable(lines.at(2)));
}

void TestCliInventory::subnetSweepsOnlyItsHosts_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("subnet");
    QTest::addColumn<QStringList>("found");
    QTest::addColumn<int>("exitCode");
    // A /31 holds both its addresses: .0 and .1 (no player), or .2 and .3.
    for (const char *command : {"discover", "inventory"}) {
        const QString name = QString::fromLatin1(command);
        QTest::newRow(qPrintable(name + QStringLiteral(" .2/31")))
            << name << QStringLiteral("127.0.0.2/31") << QStringList{CONFIGURED, REFUSING}
            << (name == QLatin1String("discover") ? 0 : 1);
        QTest::newRow(qPrintable(name + QStringLiteral(" /32")))
            << name << QStringLiteral("127.0.0.4/32") << QStringList{OTHER_CLASS} << 0;
        QTest::newRow(qPrintable(name + QStringLiteral(" /31")))
            << name << QStringLiteral("127.0.0.0/31") << QStringList() << 3;
    }
}

void TestCliInventory::subnetSweepsOnlyItsHosts()
{
    QFETCH(QString, command);
    QFETCH(QString, subnet);
    QFETCH(QStringList, found);
    QFETCH(int, exitCode);
    const CCliRun run = CCliRun::Run({QStringLiteral("--json"), command, QStringLiteral("--subnet"),
                                      subnet, QStringLiteral("--wait"), WAIT});
    QVERIFY2(run.m_nExitCode == exitCode, run.Describe());
    QStringList listed;
    for (const QJsonValue &row : run.Json())
        listed.append(row.toObject().value(QStringLiteral("ip")).toString());
    QCOMPARE(listed, found);
    // Players outside the range were never probed.
    for (const QString &ip : {CONFIGURED, REFUSING, OTHER_CLASS})
        QCOMPARE(m_network.ProbesReceived(ip), found.contains(ip) ? 1 : 0);
}

void TestCliInventory::duplicateUdnIsMarked_data()
{
    QTest::addColumn<QStringList>("format");
    QTest::addColumn<QString>("command");
    for (const char *command : {"discover", "inventory"}) {
        const QString name = QString::fromLatin1(command);
        QTest::newRow(command) << QStringList() << name;
        QTest::newRow(qPrintable(name + QStringLiteral(" as JSON")))
            << QStringList{QStringLiteral("--json")} << name;
    }
    QTest::newRow("inventory as CSV")
        << QStringList{QStringLiteral("--csv")} << QStringLiteral("inventory");
}

// Two addresses announcing one udn are both marked; the others are not.
void TestCliInventory::duplicateUdnIsMarked()
{
    QFETCH(QStringList, format);
    QFETCH(QString, command);
    CSimPlayerConfig claiming = CSimPlayerConfig::ForAddress(CLAIMING);
    claiming.m_strUdn = Configured().m_strUdn;
    QString error;
    QVERIFY2(m_network.Start({Configured(), OtherClass(), claiming}, &error), qPrintable(error));
    const CCliRun run = CCliRun::Run(format + QStringList{command, QStringLiteral("--wait"), WAIT});
    QVERIFY2(run.m_nExitCode == 0, run.Describe());
    const QStringList expected = {CONFIGURED, CLAIMING};
    QStringList marked;
    QStringList listed;
    if (format.contains(QStringLiteral("--json"))) {
        for (const QJsonValue &value : run.Json()) {
            const QJsonObject row = value.toObject();
            const QString ip = row.value(QStringLiteral("ip")).toString();
            listed.append(ip);
            QVERIFY2(row.value(QStringLiteral("duplicateUdn")).isBool(), qPrintable(ip));
            if (row.value(QStringLiteral("duplicateUdn")).toBool())
                marked.append(ip);
        }
    } else {
        const bool csv = format.contains(QStringLiteral("--csv"));
        const QStringList lines = run.m_strOut.split(
            csv ? QStringLiteral("\r\n") : QStringLiteral("\n"), Qt::SkipEmptyParts);
        QVERIFY2(lines.size() == 4, run.Describe());
        QVERIFY2(lines.first().contains(csv ? QStringLiteral(",duplicateUdn")
                                            : QStringLiteral("  DUPLICATE UDN")),
                 qPrintable(lines.first()));
        for (const QString &line : lines.mid(1)) {
            for (const QString &ip : {CONFIGURED, OTHER_CLASS, CLAIMING}) {
                if (!line.contains(ip))
                    continue;
                listed.append(ip);
                if (line.contains(csv ? QStringLiteral(",yes,") : QStringLiteral("  yes")))
                    marked.append(ip);
            }
        }
    }
    QCOMPARE(listed, (QStringList{CONFIGURED, OTHER_CLASS, CLAIMING}));
    QCOMPARE(marked, expected);
}

KESTAVON_TEST_MAIN(TestCliInventory)
#include "tst_cliinventory.moc"
