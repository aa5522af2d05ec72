#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "clirun.h"
#include "isolatednetwork.h"
#include "simnetwork.h"

namespace {

const QString PLAYER = QStringLiteral("127.0.0.2");
// How long a request or probe that was sent anyway would take to show up at
// the player on loopback, with a wide margin.
constexpr int ARRIVAL_GRACE_MS = 200;

} // namespace

// A wrong command line is refused with a message and the usage text, exit
// status 2, and nothing reaches any player.
class TestCliUsageErrors : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void refusedBeforeAnythingIsSent_data();
    void refusedBeforeAnythingIsSent();
    void helpExplainsEverything();

private:
    CSimNetwork m_network;
    QTemporaryDir m_dir;
};

void TestCliUsageErrors::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QFile empty(m_dir.filePath(QStringLiteral("empty.bin")));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    QString error;
    QVERIFY2(m_network.Start({CSimPlayerConfig::ForAddress(PLAYER)}, &error), qPrintable(error));
}

void TestCliUsageErrors::refusedBeforeAnythingIsSent_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("message");

    const QStringList player = {QStringLiteral("--player"), PLAYER};
    const auto line = [&player](const char *text) {
        return player + QString::fromUtf8(text).split(QLatin1Char(' '));
    };
    QTest::newRow("no command") << QStringList() << QByteArray()
                                << QStringLiteral("no command given");
    QTest::newRow("player not an address")
        << QStringList{QStringLiteral("--player"), QStringLiteral("127.0.0"),
                       QStringLiteral("info")}
        << QByteArray() << QStringLiteral("--player: '127.0.0' is not an IPv4 address");
    QTest::newRow("empty name") << (player + QStringList{QStringLiteral("name"), QString()})
                                << QByteArray() << QStringLiteral("the new name is empty");
    QTest::newRow("wifi maybe") << line("wifi maybe") << QByteArray()
                                << QStringLiteral("'wifi' takes on or off, not 'maybe'");
    QTest::newRow("unknown encryption")
        << line("connect Office secret WPA3") << QByteArray()
        << QStringLiteral("unknown encryption 'WPA3': use one of OPEN, WEP, WPA, WPA2, WPA/WPA2");
    QTest::newRow("password from an empty stdin")
        << line("connect Office - WPA2") << QByteArray()
        << QStringLiteral("no password on standard input");
    QTest::newRow("static address missing")
        << line("wlan static 10.0.0.5 255.0.0.0 10.0.0.1 10.0.0.1") << QByteArray()
        << QStringLiteral("'wlan static' takes IP MASK GATEWAY DNS1 DNS2");
    QTest::newRow("firmware file missing")
        << (player +
            QStringList{QStringLiteral("firmware"), m_dir.filePath(QStringLiteral("no.bin"))})
        << QByteArray()
        << QStringLiteral("firmware file '%1' does not exist")
               .arg(m_dir.filePath(QStringLiteral("no.bin")));
    QTest::newRow("firmware file empty")
        << (player +
            QStringList{QStringLiteral("firmware"), m_dir.filePath(QStringLiteral("empty.bin"))})
        << QByteArray()
        << QStringLiteral("firmware file '%1' is empty")
               .arg(m_dir.filePath(QStringLiteral("empty.bin")));
    QTest::newRow("firmware file is a folder")
        << (player + QStringList{QStringLiteral("firmware"), m_dir.path()}) << QByteArray()
        << QStringLiteral("firmware file '%1' is not a file").arg(m_dir.path());
    QTest::newRow("all from an unknown adapter")
        << QStringList{QStringLiteral("--all"), QStringLiteral("--adapter"),
                       QStringLiteral("nowhere"), QStringLiteral("reboot")}
        << QByteArray() << QStringLiteral("no adapter is described as 'nowhere' (see 'adapters')");
    QTest::newRow("parallel above the ceiling")
        << QStringList{QStringLiteral("--parallel"), QStringLiteral("100"),
                       QStringLiteral("--player"), PLAYER, QStringLiteral("reboot")}
        << QByteArray() << QStringLiteral("--parallel: '100' is not a number from 1 to 64");
}

void TestCliUsageErrors::refusedBeforeAnythingIsSent()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(QString, message);

    const CCliRun run = CCliRun::Run(arguments, input);
    QVERIFY2(run.m_bFinished, run.Describe());
    QCOMPARE(run.m_nExitCode, 2);
    QVERIFY2(run.m_strErr.startsWith(QStringLiteral("kestavon-cli: ") + message + u'\n'),
             run.Describe());
    QVERIFY2(run.m_strErr.contains(QStringLiteral("Usage:\n  kestavon-cli [--json] adapters")),
             run.Describe());
    QCOMPARE(run.m_strOut, QString());

    QVERIFY(!m_network.WaitForRequests(PLAYER, 1, ARRIVAL_GRACE_MS));
    QCOMPARE(m_network.ProbesReceived(PLAYER) + m_network.InvalidProbesReceived(PLAYER), 0);
}

void TestCliUsageErrors::helpExplainsEverything()
{
    const CCliRun run = CCliRun::Run({QStringLiteral("--help")});
    QCOMPARE(run.m_nExitCode, 0);
    QCOMPARE(run.m_strErr, QString());
    const QStringList mentioned = {
        // commands, with their arguments
        QStringLiteral("adapters"), QStringLiteral("discover"), QStringLiteral("info"),
        QStringLiteral("name NEW_NAME"), QStringLiteral("wifi on|off"), QStringLiteral("aps"),
        QStringLiteral("connect ESSID PASSWORD ENCRYPTION"), QStringLiteral("PASSWORD -"),
        QStringLiteral("OPEN, WEP, WPA, WPA2,\n"), QStringLiteral("WPA/WPA2"),
        QStringLiteral("forget ESSID [--reset]"),
        QStringLiteral("lan static IP MASK GATEWAY DNS1 DNS2 [--reboot]"),
        QStringLiteral("lan dhcp [--reboot]"), QStringLiteral("wlan"), QStringLiteral("reboot"),
        QStringLiteral("reset"),
        QStringLiteral("firmware FILE [--local-ip ADDRESS] [--timeout SECONDS]"),
        QStringLiteral("10017"), QStringLiteral("300 s"),
        // options
        QStringLiteral("--json"), QStringLiteral("--player ADDRESS"), QStringLiteral("--all"),
        QStringLiteral("--adapter DESCRIPTION"), QStringLiteral("--local-ip ADDRESS"),
        QStringLiteral("--wait SECONDS"), QStringLiteral("default 3"),
        QStringLiteral("--parallel N"), QStringLiteral("model class 2"), QStringLiteral("skipped"),
        // output
        QStringLiteral("ADDRESS: ERROR_TEXT"), QStringLiteral("{description, name, mac, ip, mask}"),
        QStringLiteral("{name, model, ip, udn, modelClass}"),
        QStringLiteral("{player, ok, skipped, result, error}"), QStringLiteral("devicename"),
        QStringLiteral("wifionoff (1 or 0)"), QStringLiteral("serialnumber"),
        QStringLiteral("{essid, encryptionkey, quality, connected, saved}"),
        QStringLiteral("setupmode, ipaddress, subnetmask, defaultgateway, primarydns"),
        QStringLiteral("seconddns"),
        // exit status
        QStringLiteral("0  every operation succeeded"),
        QStringLiteral("1  at least one operation failed"), QStringLiteral("2  usage error"),
        QStringLiteral("3  discovery found no player")};
    for (const QString &text : mentioned)
        QVERIFY2(run.m_strOut.contains(text), qPrintable(text));
}

KESTAVON_TEST_MAIN(TestCliUsageErrors)
#include "tst_cliusageerrors.moc"
