#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include "clirun.h"
#include "expectedrequest.h"
#include "isolatednetwork.h"
#include "simnetwork.h"

namespace {

const QString PLAYER = QStringLiteral("127.0.0.2");
// resetRender and rebootDevice keep a player away; the next row needs it back.
constexpr int UNREACHABLE_MS = 100;
// Requests sent without waiting for a reply may reach the player after the
// program has ended.
constexpr int REQUEST_ARRIVAL_TIMEOUT_MS = 5000;

using StateChange = void (*)(CSimPlayerState &);

CSimAccessPoint Office()
{
    CSimAccessPoint ap;
    ap.m_strEssid = QStringLiteral("Office");
    ap.m_strEncryptionKey = QStringLiteral("WPA2");
    ap.m_strQuality = QStringLiteral("51");
    ap.m_saved = true;
    ap.m_strPassword = QStringLiteral("office-secret");
    return ap;
}

CSimPlayerConfig Player()
{
    CSimPlayerConfig config = CSimPlayerConfig::ForAddress(PLAYER);
    config.m_state.m_accessPoints.append(Office());
    config.m_state.m_wifiSetup = {QStringLiteral("STATIC"),        QStringLiteral("10.1.1.5"),
                                  QStringLiteral("255.255.255.0"), QStringLiteral("10.1.1.1"),
                                  QStringLiteral("10.1.1.2"),      QStringLiteral("10.1.1.3")};
    return config;
}

QJsonValue ParseValue(const QByteArray &json)
{
    return QJsonDocument::fromJson("{\"v\":" + json + "}").object().value(QStringLiteral("v"));
}

CSimAccessPoint &AccessPoint(CSimPlayerState &state, const QString &essid)
{
    for (CSimAccessPoint &ap : state.m_accessPoints) {
        if (ap.m_strEssid == essid)
            return ap;
    }
    qFatal("no access point %s", qPrintable(essid));
}

void Unchanged(CSimPlayerState &) {}
void Renamed(CSimPlayerState &s)
{
    s.m_strDeviceName = QStringLiteral("Büro & Küche");
}
void WifiOff(CSimPlayerState &s)
{
    s.m_wifiOn = false;
}
void JoinedOffice(CSimPlayerState &s)
{
    AccessPoint(s, QStringLiteral("Kestavon Home")).m_connected = false;
    AccessPoint(s, QStringLiteral("Office")).m_connected = true;
}
void ForgotOffice(CSimPlayerState &s)
{
    AccessPoint(s, QStringLiteral("Office")).m_saved = false;
}
void LanStatic(CSimPlayerState &s)
{
    s.m_lanSetup = {QStringLiteral("STATIC"),    QStringLiteral("10.0.0.5"),
                    QStringLiteral("255.0.0.0"), QStringLiteral("10.0.0.1"),
                    QStringLiteral("10.0.0.1"),  QString()};
}
void WifiDhcp(CSimPlayerState &s)
{
    s.m_wifiSetup.m_strSetupMode = QStringLiteral("DHCP");
}

} // namespace

Q_DECLARE_METATYPE(StateChange)

// Every command against a reference player: the exact requests it sends, the
// player's state afterwards and the JSON result.
class TestCliCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void command_data();
    void command();
    void passwordFromStandardInput();
    void textOutput();

private:
    CSimNetwork m_network;
};

void TestCliCommands::init()
{
    QString error;
    QVERIFY2(m_network.Start({Player()}, &error), qPrintable(error));
    m_network.SetUnreachableTime(UNREACHABLE_MS);
}

void TestCliCommands::command_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QList<QByteArray>>("requests");
    QTest::addColumn<QByteArray>("result");
    QTest::addColumn<StateChange>("change");

    const auto words = [](const char *text) {
        return QString::fromUtf8(text).split(QLatin1Char(' '));
    };
    const QString setupBody = QStringLiteral(
        "<setupmode>%1</setupmode><ipaddress>%2</ipaddress><subnetmask>%3</subnetmask>"
        "<defaultgateway>%4</defaultgateway><primarydns>%5</primarydns><seconddns>%6</seconddns>");

    QTest::newRow("info") << words("info")
                          << QList<QByteArray>{ExpectedRequest(QStringLiteral("getDeviceName")),
                                               ExpectedRequest(QStringLiteral("getWifiOnOff")),
                                               ExpectedRequest(QStringLiteral("getDeviceInfo"))}
                          << QByteArray(R"({"devicename": "Player 2", "wifionoff": 1,
                                "lanip": "127.0.0.2", "wifiip": "0.0.0.0",
                                "lanmac": "02:4B:53:00:00:02", "wifimac": "02:4B:53:01:00:02",
                                "firmversion": "1.0.0", "serialnumber": "KS2100002"})")
                          << &Unchanged;
    QTest::newRow("name, escaped and in UTF-8")
        << QStringList{QStringLiteral("name"), QStringLiteral("Büro & Küche")}
        << QList<QByteArray>{ExpectedRequest(
               QStringLiteral("setDeviceName"),
               QStringLiteral("<devicename>Büro &amp; Küche</devicename>"))}
        << QByteArray(R"({"devicename": "Büro & Küche"})") << &Renamed;
    QTest::newRow("wifi off") << words("wifi off")
                              << QList<QByteArray>{ExpectedRequest(
                                     QStringLiteral("setWifiOnOff"),
                                     QStringLiteral("<wifionoff>OFF</wifionoff>"))}
                              << QByteArray(R"({"wifionoff": 0})") << &WifiOff;
    QTest::newRow("aps") << words("aps")
                         << QList<QByteArray>{ExpectedRequest(QStringLiteral("getApList"))}
                         << QByteArray(R"([
        {"essid": "Kestavon Home", "encryptionkey": "WPA2", "quality": 80, "connected": true, "saved": true},
        {"essid": "Neighbour", "encryptionkey": "WEP", "quality": 35, "connected": false, "saved": false},
        {"essid": "Office", "encryptionkey": "WPA2", "quality": 51, "connected": false, "saved": true}])")
                         << &Unchanged;
    QTest::newRow("connect") << words("connect Office office-secret WPA2")
                             << QList<QByteArray>{ExpectedRequest(
                                    QStringLiteral("connectAp"),
                                    QStringLiteral(
                                        "<essid>Office</essid><password>office-secret"
                                        "</password><encryptionkey>WPA2</encryptionkey>"))}
                             << QByteArray(R"({"essid": "Office", "encryptionkey": "WPA2"})")
                             << &JoinedOffice;
    QTest::newRow("forget") << words("forget Office")
                            << QList<QByteArray>{ExpectedRequest(
                                   QStringLiteral("deleteProfile"),
                                   QStringLiteral("<essid>Office</essid>"))}
                            << QByteArray(R"({"essid": "Office", "reset": false})")
                            << &ForgotOffice;
    QTest::newRow("forget and reset")
        << words("forget Office --reset")
        << QList<QByteArray>{ExpectedRequest(QStringLiteral("deleteProfile"),
                                             QStringLiteral("<essid>Office</essid>")),
                             ExpectedRequest(QStringLiteral("resetRender"))}
        << QByteArray(R"({"essid": "Office", "reset": true})") << &ForgotOffice;
    QTest::newRow("lan") << words("lan")
                         << QList<QByteArray>{ExpectedRequest(QStringLiteral("getLanSetup"))}
                         << QByteArray(R"({"setupmode": "DHCP", "ipaddress": "127.0.0.2",
                                "subnetmask": "255.0.0.0", "defaultgateway": "127.0.0.1",
                                "primarydns": "127.0.0.1", "seconddns": ""})")
                         << &Unchanged;
    QTest::newRow("wlan") << words("wlan")
                          << QList<QByteArray>{ExpectedRequest(QStringLiteral("getWifiSetup"))}
                          << QByteArray(R"({"setupmode": "STATIC", "ipaddress": "10.1.1.5",
                                "subnetmask": "255.255.255.0", "defaultgateway": "10.1.1.1",
                                "primarydns": "10.1.1.2", "seconddns": "10.1.1.3"})")
                          << &Unchanged;
    QTest::newRow("lan static, empty second name server")
        << (words("lan static 10.0.0.5 255.0.0.0 10.0.0.1 10.0.0.1") << QString())
        << QList<QByteArray>{ExpectedRequest(
               QStringLiteral("setLanSetup"),
               setupBody.arg(QStringLiteral("STATIC"), QStringLiteral("10.0.0.5"),
                             QStringLiteral("255.0.0.0"), QStringLiteral("10.0.0.1"),
                             QStringLiteral("10.0.0.1"), QString()))}
        << QByteArray(R"({"setupmode": "STATIC", "ipaddress": "10.0.0.5",
                "subnetmask": "255.0.0.0", "defaultgateway": "10.0.0.1",
                "primarydns": "10.0.0.1", "seconddns": "", "reboot": false})")
        << &LanStatic;
    QTest::newRow("wlan dhcp keeps the addresses, then reboots")
        << words("wlan dhcp --reboot")
        << QList<QByteArray>{ExpectedRequest(QStringLiteral("getWifiSetup")),
                             ExpectedRequest(
                                 QStringLiteral("setWifiSetup"),
                                 setupBody.arg(
                                     QStringLiteral("DHCP"), QStringLiteral("10.1.1.5"),
                                     QStringLiteral("255.255.255.0"), QStringLiteral("10.1.1.1"),
                                     QStringLiteral("10.1.1.2"), QStringLiteral("10.1.1.3"))),
                             ExpectedRequest(QStringLiteral("rebootDevice"))}
        << QByteArray(R"({"setupmode": "DHCP", "ipaddress": "10.1.1.5",
                "subnetmask": "255.255.255.0", "defaultgateway": "10.1.1.1",
                "primarydns": "10.1.1.2", "seconddns": "10.1.1.3", "reboot": true})")
        << &WifiDhcp;
    QTest::newRow("reboot") << words("reboot")
                            << QList<QByteArray>{ExpectedRequest(QStringLiteral("rebootDevice"))}
                            << QByteArray("null") << &Unchanged;
    QTest::newRow("reset") << words("reset")
                           << QList<QByteArray>{ExpectedRequest(QStringLiteral("resetRender"))}
                           << QByteArray("null") << &Unchanged;
}

void TestCliCommands::command()
{
    QFETCH(QStringList, arguments);
    QFETCH(QList<QByteArray>, requests);
    QFETCH(QByteArray, result);
    QFETCH(StateChange, change);

    CSimPlayerState expectedState = m_network.State(PLAYER);
    change(expectedState);

    const CCliRun run = CCliRun::Run(
        QStringList{QStringLiteral("--json"), QStringLiteral("--player"), PLAYER} + arguments);
    QVERIFY2(run.m_nExitCode == 0, run.Describe());
    QCOMPARE(run.m_strErr, QString());
    const QJsonArray json = run.Json();
    QCOMPARE(json.size(), 1);
    const QJsonObject entry = json.first().toObject();
    QCOMPARE(entry.value(QStringLiteral("player")).toString(), PLAYER);
    QCOMPARE(entry.value(QStringLiteral("ok")), QJsonValue(true));
    QCOMPARE(entry.value(QStringLiteral("skipped")), QJsonValue(false));
    QCOMPARE(entry.value(QStringLiteral("error")), QJsonValue(QJsonValue::Null));
    QCOMPARE(entry.value(QStringLiteral("result")), ParseValue(result));

    QVERIFY(m_network.WaitForRequests(PLAYER, static_cast<int>(requests.size()),
                                      REQUEST_ARRIVAL_TIMEOUT_MS));
    QCOMPARE(m_network.ReceivedRequests(PLAYER), requests);
    QVERIFY(m_network.State(PLAYER) == expectedState);
}

void TestCliCommands::passwordFromStandardInput()
{
    const CCliRun run =
        CCliRun::Run({QStringLiteral("--player"), PLAYER, QStringLiteral("connect"),
                      QStringLiteral("Office"), QStringLiteral("-"), QStringLiteral("WPA2")},
                     "office-secret\nnot part of it\n");
    QVERIFY2(run.m_nExitCode == 0, run.Describe());
    QCOMPARE(m_network.ReceivedRequests(PLAYER),
             QList<QByteArray>{ExpectedRequest(
                 QStringLiteral("connectAp"),
                 QStringLiteral("<essid>Office</essid><password>office-secret</password>"
                                "<encryptionkey>WPA2</encryptionkey>"))});
    QVERIFY(!run.m_strOut.contains(QStringLiteral("office-secret")));
    QVERIFY(m_network.State(PLAYER).m_accessPoints.last().m_connected);
}

void TestCliCommands::textOutput()
{
    const QStringList player = {QStringLiteral("--player"), PLAYER};
    const CCliRun info = CCliRun::Run(player + QStringList{QStringLiteral("info")});
    QCOMPARE(info.m_nExitCode, 0);
    QVERIFY2(info.m_strOut.startsWith(QStringLiteral("127.0.0.2:\n"
                                                     "  devicename    Player 2\n"
                                                     "  wifionoff     1\n"
                                                     "  lanip         127.0.0.2\n")),
             info.Describe());

    const CCliRun aps = CCliRun::Run(player + QStringList{QStringLiteral("aps")});
    QCOMPARE(aps.m_nExitCode, 0);
    QVERIFY2(aps.m_strOut.contains(
                 QStringLiteral("  essid          encryptionkey  quality  connected  saved\n"
                                "  Kestavon Home  WPA2           80       1          1\n")),
             aps.Describe());

    const CCliRun renamed =
        CCliRun::Run(player + QStringList{QStringLiteral("name"), QStringLiteral("Hall")});
    QCOMPARE(renamed.m_nExitCode, 0);
    QCOMPARE(renamed.m_strOut, QStringLiteral("127.0.0.2: ok\n"));
    QCOMPARE(renamed.m_strErr, QString());
}

KESTAVON_TEST_MAIN(TestCliCommands)
#include "tst_clicommands.moc"
