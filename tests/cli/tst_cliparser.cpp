#include <QStringList>
#include <QTest>

#include "cliparser.h"
#include "isolatednetwork.h"

namespace {

// The parts of a request a test cares about, in one comparable line.
QString Describe(const CPlayerRequest &r)
{
    return QStringLiteral("%1 players=%2 all=%3 json=%4 parallel=%5 args=[%6] wait=%7 adapter=%8 "
                          "sweep=%9")
               .arg(r.CommandName(), r.m_players.join(QLatin1Char(',')))
               .arg(r.m_bAll)
               .arg(r.m_bJson)
               .arg(r.m_nParallel)
               .arg(r.m_arguments.join(QLatin1Char('|')))
               .arg(r.m_nWaitMs)
               .arg(r.m_strAdapter, r.m_strSweepIp) +
           QStringLiteral(" reset=%1 reboot=%2 download=%3 timeout=%4")
               .arg(r.m_bReset)
               .arg(r.m_bReboot)
               .arg(r.m_strDownloadIp)
               .arg(r.m_nTimeoutMs);
}

QStringList Split(const char *line)
{
    return QString::fromUtf8(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

class TestCliParser : public QObject
{
    Q_OBJECT

private slots:
    void accepts_data();
    void accepts();
    void refuses_data();
    void refuses();
    void helpWinsOverEverythingElse();
    void emptyArgumentsStayArguments();
};

void TestCliParser::accepts_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");

    const QString defaults =
        QStringLiteral(" wait=3000 adapter= sweep= reset=0 reboot=0 download= timeout=300000");
    QTest::newRow("adapters") << Split("adapters")
                              << QStringLiteral(
                                     "adapters players= all=0 json=0 parallel=1 args=[]") +
                                     defaults;
    QTest::newRow("discover options after the command")
        << Split("--json discover --adapter eth0 --wait 0.5")
        << QStringLiteral("discover players= all=0 json=1 parallel=1 args=[] wait=500 adapter=eth0 "
                          "sweep= reset=0 reboot=0 download= timeout=300000");
    QTest::newRow("two players, duplicate dropped")
        << Split("--player 127.0.0.2 --player=127.0.0.3 --player 127.0.0.2 info")
        << QStringLiteral("info players=127.0.0.2,127.0.0.3 all=0 json=0 parallel=1 args=[]") +
               defaults;
    QTest::newRow("all with sweep address and parallel")
        << Split("--all --local-ip 127.0.0.1 --wait 2 --parallel 8 reboot")
        << QStringLiteral("reboot players= all=1 json=0 parallel=8 args=[] wait=2000 adapter= "
                          "sweep=127.0.0.1 reset=0 reboot=0 download= timeout=300000");
    QTest::newRow("json after the command")
        << Split("--player 127.0.0.2 wifi off --json")
        << QStringLiteral("wifi players=127.0.0.2 all=0 json=1 parallel=1 args=[off]") + defaults;
    QTest::newRow("connect, password from stdin")
        << Split("--player 127.0.0.2 connect Office - WPA/WPA2")
        << QStringLiteral(
               "connect players=127.0.0.2 all=0 json=0 parallel=1 args=[Office|-|WPA/WPA2]") +
               defaults;
    QTest::newRow("forget with reset")
        << Split("--player 127.0.0.2 forget Office --reset")
        << QStringLiteral(
               "forget players=127.0.0.2 all=0 json=0 parallel=1 args=[Office] wait=3000 "
               "adapter= sweep= reset=1 reboot=0 download= timeout=300000");
    QTest::newRow("wlan static with reboot")
        << Split("--player 127.0.0.2 wlan static 10.0.0.5 255.255.255.0 10.0.0.1 10.0.0.1 "
                 "10.0.0.2 --reboot")
        << QStringLiteral("wlan players=127.0.0.2 all=0 json=0 parallel=1 "
                          "args=[static|10.0.0.5|255.255.255.0|10.0.0.1|10.0.0.1|10.0.0.2] "
                          "wait=3000 adapter= sweep= reset=0 reboot=1 download= timeout=300000");
    QTest::newRow("firmware with address and time-out")
        << Split("--player 127.0.0.2 firmware image.bin --local-ip 127.0.0.1 --timeout 1.5")
        << QStringLiteral("firmware players=127.0.0.2 all=0 json=0 parallel=1 args=[image.bin] "
                          "wait=3000 adapter= sweep= reset=0 reboot=0 download=127.0.0.1 "
                          "timeout=1500");
    QTest::newRow("double dash keeps a name that looks like an option")
        << Split("--player 127.0.0.2 name -- --json")
        << QStringLiteral("name players=127.0.0.2 all=0 json=0 parallel=1 args=[--json]") +
               defaults;
}

void TestCliParser::accepts()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);

    const CCliParseResult result = CCliParser::Parse(arguments);
    QCOMPARE(result.m_strError, QString());
    QCOMPARE(result.m_status, CCliParseResult::EStatus::Run);
    QCOMPARE(Describe(result.m_request), expected);
}

void TestCliParser::refuses_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");

    QTest::newRow("nothing") << QStringList() << QStringLiteral("no command given");
    QTest::newRow("unknown command")
        << Split("--player 127.0.0.2 dance") << QStringLiteral("unknown command 'dance'");
    QTest::newRow("unknown option")
        << Split("--verbose adapters") << QStringLiteral("unknown option '--verbose'");
    QTest::newRow("no target") << Split("info")
                               << QStringLiteral(
                                      "name the players with --player ADDRESS, or use --all");
    QTest::newRow("player and all") << Split("--all --player 127.0.0.2 info")
                                    << QStringLiteral("--player and --all cannot be used together");
    QTest::newRow("player is a name")
        << Split("--player kitchen info")
        << QStringLiteral("--player: 'kitchen' is not an IPv4 address");
    QTest::newRow("player octet too big")
        << Split("--player 127.0.0.256 info")
        << QStringLiteral("--player: '127.0.0.256' is not an IPv4 address");
    QTest::newRow("player with leading zero")
        << Split("--player 127.0.0.010 info")
        << QStringLiteral("--player: '127.0.0.010' is not an IPv4 address");
    QTest::newRow("player without value")
        << Split("--player") << QStringLiteral("option --player needs a value");
    QTest::newRow("parallel zero")
        << Split("--parallel 0 --player 127.0.0.2 info")
        << QStringLiteral("--parallel: '0' is not a number from 1 to 64");
    QTest::newRow("parallel above the ceiling")
        << Split("--parallel 65 --player 127.0.0.2 info")
        << QStringLiteral("--parallel: '65' is not a number from 1 to 64");
    QTest::newRow("wait not a number") << Split("discover --wait soon")
                                       << QStringLiteral("--wait: 'soon' is not a number of "
                                                         "seconds above 0, at most 600");
    QTest::newRow("wait zero") << Split("discover --wait 0")
                               << QStringLiteral("--wait: '0' is not a number of seconds above 0, "
                                                 "at most 600");
    QTest::newRow("wait with players")
        << Split("--player 127.0.0.2 --wait 1 info")
        << QStringLiteral("--adapter, --local-ip, --subnet and --wait "
                          "apply only to discover, inventory, "
                          "apply and --all");
    QTest::newRow("adapter and local ip")
        << Split("discover --adapter lo --local-ip 127.0.0.1")
        << QStringLiteral("--adapter and --local-ip cannot be used together");
    QTest::newRow("discover with a player") << Split("--player 127.0.0.2 discover")
                                            << QStringLiteral("'discover' works on no player: "
                                                              "--player, --all and --parallel do "
                                                              "not apply");
    QTest::newRow("adapters with wait") << Split("adapters --wait 1")
                                        << QStringLiteral("option --wait does not apply to "
                                                          "'adapters'");
    QTest::newRow("info with an argument") << Split("--player 127.0.0.2 info now")
                                           << QStringLiteral("'info' takes 0 argument(s), 1 given");
    QTest::newRow("name missing") << Split("--player 127.0.0.2 name")
                                  << QStringLiteral("'name' takes 1 argument(s), 0 given");
    QTest::newRow("wifi maybe") << Split("--player 127.0.0.2 wifi maybe")
                                << QStringLiteral("'wifi' takes on or off, not 'maybe'");
    QTest::newRow("unknown encryption")
        << Split("--player 127.0.0.2 connect Office secret WPA3")
        << QStringLiteral("unknown encryption 'WPA3': use one of OPEN, WEP, WPA, WPA2, WPA/WPA2");
    QTest::newRow("encryption in lower case")
        << Split("--player 127.0.0.2 connect Office secret wpa2")
        << QStringLiteral("unknown encryption 'wpa2': use one of OPEN, WEP, WPA, WPA2, WPA/WPA2");
    QTest::newRow("reset on the wrong command")
        << Split("--player 127.0.0.2 reboot --reset")
        << QStringLiteral("option --reset does not apply to 'reboot'");
    QTest::newRow("lan static short")
        << Split("--player 127.0.0.2 lan static 10.0.0.5 255.255.255.0")
        << QStringLiteral("'lan static' takes IP MASK GATEWAY DNS1 DNS2");
    QTest::newRow("lan static bad mask")
        << Split("--player 127.0.0.2 lan static 10.0.0.5 255.255.255 10.0.0.1 10.0.0.1 10.0.0.1")
        << QStringLiteral("'255.255.255' is not an IPv4 address");
    QTest::newRow("lan static mask with a gap")
        << Split("--player 127.0.0.2 lan static 10.0.0.5 255.0.255.0 10.0.0.1 10.0.0.1 10.0.0.1")
        << QStringLiteral("'255.0.255.0' is not a subnet mask");
    QTest::newRow("lan bad mode") << Split("--player 127.0.0.2 lan auto")
                                  << QStringLiteral("'lan' takes static or dhcp, not 'auto'");
    QTest::newRow("reboot on show") << Split("--player 127.0.0.2 wlan --reboot")
                                    << QStringLiteral("--reboot applies only to 'wlan static' and "
                                                      "'wlan dhcp'");
    QTest::newRow("firmware time-out too long")
        << Split("--player 127.0.0.2 firmware image.bin --timeout 86401")
        << QStringLiteral("--timeout: '86401' is not a number of seconds above 0, at most 86400");
    QTest::newRow("firmware local ip not an address")
        << Split("--player 127.0.0.2 firmware image.bin --local-ip here")
        << QStringLiteral("--local-ip: 'here' is not an IPv4 address");
}

void TestCliParser::refuses()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);

    const CCliParseResult result = CCliParser::Parse(arguments);
    QCOMPARE(result.m_status, CCliParseResult::EStatus::UsageError);
    QCOMPARE(result.m_strError, error);
}

void TestCliParser::helpWinsOverEverythingElse()
{
    QCOMPARE(CCliParser::Parse(Split("--player nonsense dance --help")).m_status,
             CCliParseResult::EStatus::Help);
    QCOMPARE(CCliParser::Parse(Split("-h")).m_status, CCliParseResult::EStatus::Help);
    QCOMPARE(CCliParser::Parse(Split("--player nonsense --version")).m_status,
             CCliParseResult::EStatus::Version);
    QCOMPARE(CCliParser::Parse(Split("--version --help")).m_status, CCliParseResult::EStatus::Help);
    QCOMPARE(CCliParser::Parse(Split("--player 127.0.0.2 name -- --version")).m_status,
             CCliParseResult::EStatus::Run);
    // After "--" it is a name like any other.
    const CCliParseResult named = CCliParser::Parse(Split("--player 127.0.0.2 name -- --help"));
    QCOMPARE(named.m_status, CCliParseResult::EStatus::Run);
    QCOMPARE(named.m_request.m_arguments, QStringList{QStringLiteral("--help")});
}

void TestCliParser::emptyArgumentsStayArguments()
{
    // Gateway and name servers may be empty; the address and mask may not.
    const QStringList optional = {QStringLiteral("--player"),
                                  QStringLiteral("127.0.0.2"),
                                  QStringLiteral("lan"),
                                  QStringLiteral("static"),
                                  QStringLiteral("10.0.0.5"),
                                  QStringLiteral("255.0.0.0"),
                                  QString(),
                                  QString(),
                                  QString()};
    QCOMPARE(CCliParser::Parse(optional).m_status, CCliParseResult::EStatus::Run);

    QStringList noAddress = optional;
    noAddress[4] = QString();
    const CCliParseResult refused = CCliParser::Parse(noAddress);
    QCOMPARE(refused.m_status, CCliParseResult::EStatus::UsageError);
    QCOMPARE(refused.m_strError, QStringLiteral("'' is not an IPv4 address"));

    const CCliParseResult emptyName =
        CCliParser::Parse({QStringLiteral("--player"), QStringLiteral("127.0.0.2"),
                           QStringLiteral("name"), QString()});
    QCOMPARE(emptyName.m_status, CCliParseResult::EStatus::UsageError);
    QCOMPARE(emptyName.m_strError, QStringLiteral("the new name is empty"));
}

KESTAVON_TEST_MAIN(TestCliParser)
#include "tst_cliparser.moc"
