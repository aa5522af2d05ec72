#include <QFile>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "clirun.h"
#include "isolatednetwork.h"
#include "simnetwork.h"

namespace {

const QString WAIT = QStringLiteral("1");
const QString FIRST = QStringLiteral("127.0.0.2");
const QString SECOND = QStringLiteral("127.0.0.3");
const QString THIRD = QStringLiteral("127.0.0.4");
// Where the plan moves the first player; inside the /24 the sweep covers.
const QString MOVED = QStringLiteral("127.0.0.62");
const QString PASSWORD_VARIABLE = QStringLiteral("KESTAVON_TEST_WIFI_PASSWORD");
const QByteArray PASSWORD = QByteArrayLiteral("only-this");
// Short, so a reboot costs little test time; long enough to be seen.
constexpr int REBOOT_SILENCE_MS = 400;

// The plan the site test applies: a rename, Wi-Fi off and a new static LAN
// address (with reboot) for the first player; a rename and an access point,
// found by LAN MAC, for the second; firmware for the third.
QByteArray SitePlan(const QString &firmware)
{
    return QStringLiteral(R"([
  {"udn": "uuid:kestavon-0002", "name": "Kitchen", "wifi": "off",
   "lan": {"mode": "static", "ip": "127.0.0.62", "mask": "255.255.255.0",
           "gateway": "127.0.0.1", "dns1": "127.0.0.1"}},
  {"lanmac": "02:4b:53:00:00:03", "name": "Office",
   "accessPoint": {"essid": "Neighbour", "encryption": "WEP", "passwordEnv": "%1"}},
  {"udn": "uuid:kestavon-0004", "firmware": {"file": "%2", "version": "3.0.0"}}
])")
        .arg(PASSWORD_VARIABLE, firmware)
        .toUtf8();
}

QStringList Operations(const QList<QByteArray> &requests)
{
    static const QRegularExpression operation(QStringLiteral("operation=\"([^\"]+)\""));
    QStringList operations;
    for (const QByteArray &request : requests)
        operations.append(operation.match(QString::fromUtf8(request)).captured(1));
    return operations;
}

// Requests that change something, as opposed to those that read.
QStringList Changes(const QList<QByteArray> &requests)
{
    QStringList changes;
    for (const QString &operation : Operations(requests)) {
        if (!operation.startsWith(QLatin1String("get")))
            changes.append(operation);
    }
    return changes;
}

QHash<QString, QJsonObject> ByUdn(const QJsonArray &array)
{
    QHash<QString, QJsonObject> byUdn;
    for (const QJsonValue &value : array)
        byUdn.insert(value.toObject().value(QStringLiteral("udn")).toString(), value.toObject());
    return byUdn;
}

// What became of each change of an entry, by field.
QHash<QString, QString> States(const QJsonObject &entry)
{
    QHash<QString, QString> states;
    for (const QJsonValue &change : entry.value(QStringLiteral("changes")).toArray()) {
        states.insert(change.toObject().value(QStringLiteral("field")).toString(),
                      change.toObject().value(QStringLiteral("state")).toString());
    }
    return states;
}

// The plan's LAN set-up for the first player, as the player stores it.
CSimNetSetup MovedSetup()
{
    return {QStringLiteral("STATIC"),        MOVED,
            QStringLiteral("255.255.255.0"), QStringLiteral("127.0.0.1"),
            QStringLiteral("127.0.0.1"),     QString()};
}

const QByteArray MOVE_PLAN = R"([{"udn": "uuid:kestavon-0002", "lan": {"mode": "static",
    "ip": "127.0.0.62", "mask": "255.255.255.0", "gateway": "127.0.0.1", "dns1": "127.0.0.1"}}])";

} // namespace

// apply brings every player of a plan to what it says and proves it by
// reading back, after a reboot from the player found again by udn; a second
// run finds nothing to do. A faulty plan is refused before anything is sent.
class TestCliApply : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void siteIsBroughtToThePlanThenUnchanged();
    void dryRunShowsEachFieldAndSendsNothing();
    void csvPlanIsTheSame();
    void faultyPlanIsRefusedBeforeAnythingIsSent_data();
    void faultyPlanIsRefusedBeforeAnythingIsSent();
    void failedStepIsNamedAndStopsThePlayer();
    void eachChangeSaysWhetherItTookEffect();
    void textShowsEachChangesState();
    void playerNotBackIsUnverified();
    void setUpNotInUseAfterItsReboot();
    void storedSetupIsRebootedByALaterRun_data();
    void storedSetupIsRebootedByALaterRun();
    void playerClaimedTwiceGetsNothing_data();
    void playerClaimedTwiceGetsNothing();

private:
    QString WritePlan(const QString &name, const QByteArray &content);
    QString WriteFirmware(const QByteArray &version);
    CCliRun Apply(const QString &plan, const QStringList &extra = {});

    QTemporaryDir m_dir;
    CSimNetwork m_network;
};

void TestCliApply::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv(qPrintable(PASSWORD_VARIABLE), PASSWORD);
}

void TestCliApply::init()
{
    CSimPlayerConfig second = CSimPlayerConfig::ForAddress(SECOND);
    // connectAp succeeds only with the password from the environment.
    second.m_state.m_accessPoints[1].m_strPassword = QString::fromLatin1(PASSWORD);
    QString error;
    QVERIFY2(m_network.Start(
                 {CSimPlayerConfig::ForAddress(FIRST), second, CSimPlayerConfig::ForAddress(THIRD)},
                 &error),
             qPrintable(error));
    m_network.SetUnreachableTime(REBOOT_SILENCE_MS);
}

QString TestCliApply::WritePlan(const QString &name, const QByteArray &content)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(content) != content.size())
        return {};
    return path;
}

QString TestCliApply::WriteFirmware(const QByteArray &version)
{
    QByteArray image = "KSFW " + version + "\n";
    while (image.size() < 200000)
        image.append(static_cast<char>(image.size() * 13 % 251));
    return WritePlan(QStringLiteral("firmware-%1.bin").arg(QString::fromLatin1(version)), image);
}

CCliRun TestCliApply::Apply(const QString &plan, const QStringList &extra)
{
    return CCliRun::Run(QStringList{QStringLiteral("--json"), QStringLiteral("apply"), plan,
                                    QStringLiteral("--wait"), WAIT, QStringLiteral("--timeout"),
                                    QStringLiteral("20")} +
                        extra);
}

void TestCliApply::siteIsBroughtToThePlanThenUnchanged()
{
    const QString plan = WritePlan(QStringLiteral("site.json"), SitePlan(WriteFirmware("3.0.0")));
    const CCliRun first = Apply(plan, {QStringLiteral("--parallel"), QStringLiteral("3")});
    QVERIFY2(first.m_nExitCode == 0, first.Describe());
    const QHash<QString, QJsonObject> done = ByUdn(first.Json());
    QCOMPARE(done.size(), 3);
    for (const QJsonObject &entry : done)
        QCOMPARE(entry.value(QStringLiteral("status")).toString(), QStringLiteral("ok"));
    const QJsonObject moved = done.value(QStringLiteral("uuid:kestavon-0002"));
    QCOMPARE(moved.value(QStringLiteral("player")).toString(), MOVED);
    QCOMPARE(moved.value(QStringLiteral("changes")).toArray().first().toObject(),
             (QJsonObject{{QStringLiteral("field"), QStringLiteral("name")},
                          {QStringLiteral("from"), QStringLiteral("Player 2")},
                          {QStringLiteral("to"), QStringLiteral("Kitchen")},
                          {QStringLiteral("state"), QStringLiteral("applied")}}));
    for (const QJsonObject &entry : done) {
        for (const QString &state : States(entry))
            QCOMPARE(state, QStringLiteral("applied"));
    }

    // The players are what the plan says, each changed once, in the safe order.
    QCOMPARE(m_network.CurrentAddress(FIRST), MOVED);
    QCOMPARE(m_network.State(FIRST).m_strDeviceName, QStringLiteral("Kitchen"));
    QVERIFY(!m_network.State(FIRST).m_wifiOn);
    QCOMPARE(Changes(m_network.ReceivedRequests(FIRST)),
             (QStringList{QStringLiteral("setDeviceName"), QStringLiteral("setWifiOnOff"),
                          QStringLiteral("setLanSetup"), QStringLiteral("rebootDevice")}));
    QCOMPARE(m_network.State(SECOND).m_strDeviceName, QStringLiteral("Office"));
    QVERIFY(m_network.State(SECOND).m_accessPoints[1].m_connected);
    QCOMPARE(Changes(m_network.ReceivedRequests(SECOND)),
             (QStringList{QStringLiteral("setDeviceName"), QStringLiteral("connectAp")}));
    QCOMPARE(m_network.State(THIRD).m_strFirmVersion, QStringLiteral("3.0.0"));
    QCOMPARE(m_network.Downloads(THIRD).size(), 1);

    const int before =
        int(m_network.ReceivedRequests(FIRST).size() + m_network.ReceivedRequests(SECOND).size());
    const CCliRun second = Apply(plan);
    QVERIFY2(second.m_nExitCode == 0, second.Describe());
    for (const QJsonObject &entry : ByUdn(second.Json())) {
        QCOMPARE(entry.value(QStringLiteral("status")).toString(), QStringLiteral("unchanged"));
        QCOMPARE(entry.value(QStringLiteral("changes")).toArray(), QJsonArray());
    }
    QCOMPARE(ByUdn(second.Json())
                 .value(QStringLiteral("uuid:kestavon-0002"))
                 .value(QStringLiteral("player"))
                 .toString(),
             MOVED);
    // The second run only read.
    QList<QByteArray> later =
        m_network.ReceivedRequests(FIRST) + m_network.ReceivedRequests(SECOND);
    QVERIFY(later.size() > before);
    QCOMPARE(Changes(later.mid(before)), QStringList());
    QCOMPARE(m_network.Downloads(THIRD).size(), 1);
}

void TestCliApply::dryRunShowsEachFieldAndSendsNothing()
{
    const QString plan =
        WritePlan(QStringLiteral("dry.json"),
                  R"([{"udn": "uuid:kestavon-0002", "name": "Kitchen", "wifi": "on",
             "wlan": {"mode": "static", "ip": "127.0.0.70", "mask": "255.255.255.0"}},
            {"udn": "uuid:kestavon-0099", "name": "Nowhere"}])");
    const CCliRun run = CCliRun::Run({QStringLiteral("apply"), plan, QStringLiteral("--dry-run"),
                                      QStringLiteral("--wait"), WAIT});
    // An entry not found fails the dry run.
    QCOMPARE(run.m_nExitCode, 1);
    QCOMPARE(run.m_strOut, QStringLiteral("uuid:kestavon-0002 at 127.0.0.2: planned\n"
                                          "  name: Player 2 \u2192 Kitchen\n"
                                          "  wlan.mode: dhcp \u2192 static\n"
                                          "  wlan.ip: 0.0.0.0 \u2192 127.0.0.70\n"
                                          "  wlan.mask: 255.0.0.0 \u2192 255.255.255.0\n"
                                          "  wlan.gateway: 127.0.0.1 \u2192 \"\"\n"
                                          "  wlan.dns1: 127.0.0.1 \u2192 \"\"\n"
                                          "  wifi: unchanged\n"
                                          "  wlan.dns2: unchanged\n"
                                          "uuid:kestavon-0099: missing\n"));
    for (const QString &ip : {FIRST, SECOND, THIRD})
        QCOMPARE(Changes(m_network.ReceivedRequests(ip)), QStringList());
}

void TestCliApply::csvPlanIsTheSame()
{
    const QString plan = WritePlan(
        QStringLiteral("site.csv"),
        "udn,lanmac,name,wifi,lan_mode,lan_ip,lan_mask,accessPoint_essid,accessPoint_encryption,"
        "accessPoint_passwordEnv\r\n"
        "uuid:kestavon-0002,,\"Kitchen, east\",off,static,127.0.0.62,255.255.255.0,,,\r\n"
        ",02:4B:53:00:00:03,Office,,,,,Neighbour,WEP," +
            PASSWORD_VARIABLE.toLatin1() + "\r\n");
    const CCliRun run = Apply(plan);
    QVERIFY2(run.m_nExitCode == 0, run.Describe());
    QCOMPARE(m_network.State(FIRST).m_strDeviceName, QStringLiteral("Kitchen, east"));
    QCOMPARE(m_network.CurrentAddress(FIRST), MOVED);
    QVERIFY(m_network.State(SECOND).m_accessPoints[1].m_connected);
    const CCliRun again = Apply(plan);
    QVERIFY2(again.m_nExitCode == 0, again.Describe());
    for (const QJsonObject &entry : ByUdn(again.Json()))
        QCOMPARE(entry.value(QStringLiteral("status")).toString(), QStringLiteral("unchanged"));
}

void TestCliApply::faultyPlanIsRefusedBeforeAnythingIsSent_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("plan");
    QTest::addColumn<QString>("error");
    const auto row = [](const char *tag, const char *name, const QByteArray &plan,
                        const char *error) {
        QTest::newRow(tag) << QString::fromLatin1(name) << plan << QString::fromUtf8(error);
    };
    row("not JSON", "p.json", "[{", "not valid JSON at offset 2: unterminated object");
    row("not a list", "p.json", R"({"udn": "x"})", "a plan is a JSON list of entries");
    row("empty", "p.json", "[]", "the plan lists no player");
    row("unknown key", "p.json", R"([{"udn": "u1", "colour": "red"}])",
        "entry 1 (u1): colour: not a plan field");
    row("no key", "p.json", R"([{"name": "A"}])",
        "entry 1: names its player by neither udn nor lanmac");
    row("bad MAC", "p.json", R"([{"lanmac": "02:4B:53"}])",
        "entry 1: lanmac: '02:4B:53' is not a MAC address");
    row("wifi word", "p.json", R"([{"udn": "u1"}, {"udn": "u2", "wifi": "yes"}])",
        "entry 2 (u2): wifi: 'yes' is neither on nor off");
    row("bad address", "p.json",
        R"([{"udn": "u1", "lan": {"mode": "static", "ip": "127.0.0.300", "mask": "255.0.0.0"}}])",
        "entry 1 (u1): lan.ip: '127.0.0.300' is not an IPv4 address");
    row("mask with a gap", "p.json",
        R"([{"udn": "u1", "wlan": {"mode": "static", "ip": "127.0.0.9", "mask": "255.0.255.0"}}])",
        "entry 1 (u1): wlan.mask: '255.0.255.0' is not a subnet mask");
    row("address without static", "p.json",
        R"([{"udn": "u1", "lan": {"mode": "dhcp", "ip": "127.0.0.9"}}])",
        "entry 1 (u1): lan.ip: applies only to mode static");
    row("unknown mode", "p.json", R"([{"udn": "u1", "lan": {"mode": "auto"}}])",
        "entry 1 (u1): lan.mode: 'auto' is neither static nor dhcp");
    row("password variable not set", "p.json",
        R"([{"udn": "u1", "accessPoint": {"essid": "A", "encryption": "WPA2",
             "passwordEnv": "KESTAVON_TEST_UNSET"}}])",
        "entry 1 (u1): accessPoint.passwordEnv: environment variable 'KESTAVON_TEST_UNSET' is "
        "not set");
    row("password in the plan", "p.json",
        R"([{"udn": "u1", "accessPoint": {"essid": "A", "encryption": "WPA2", "password": "x"}}])",
        "entry 1 (u1): accessPoint.password: not a plan field");
    row("firmware file missing", "p.json",
        R"([{"udn": "u1", "firmware": {"file": "/nonexistent/fw.bin", "version": "2"}}])",
        "entry 1 (u1): firmware.file: '/nonexistent/fw.bin' does not exist");
    row("same player twice", "p.json", R"([{"udn": "u1"}, {"udn": "u1", "name": "B"}])",
        "entry 2 (u1): names the same player as entry 1");
    row("same address twice", "p.json",
        R"([{"udn": "u1", "lan": {"mode": "static", "ip": "127.0.0.9", "mask": "255.0.0.0"}},
            {"udn": "u2", "lan": {"mode": "static", "ip": "127.0.0.9", "mask": "255.0.0.0"}}])",
        "entry 2 (u2): lan.ip: '127.0.0.9' is also planned for entry 1");
    row("same key twice", "p.json", R"([{"udn": "u1", "name": "A", "name": "B"}])",
        "entry 1 (u1): name: is given twice");
    row("same key twice, spelled with an escape", "p.json",
        R"([{"udn": "u1"}, {"udn": "u2", "wifi": "on", "wif\u0069": "off"}])",
        "entry 2 (u2): wifi: is given twice");
    row("same key twice in a set-up", "p.json",
        R"([{"udn": "u1", "lan": {"mode": "static", "ip": "127.0.0.9", "mask": "255.0.0.0",
             "ip": "127.0.0.8"}}])",
        "entry 1 (u1): lan.ip: is given twice");
    row("same key twice in an access point", "p.json",
        R"([{"udn": "u1", "accessPoint": {"essid": "A", "encryption": "OPEN", "essid": "B"}}])",
        "entry 1 (u1): accessPoint.essid: is given twice");
    row("udn twice", "p.json", R"([{"udn": "u1", "udn": "u2"}])", "entry 1: udn: is given twice");
    row("CSV unknown column", "p.csv", "udn,colour\r\nu1,red\r\n",
        "column 'colour' is not a plan field, or is given twice");
    row("CSV bad address", "p.csv", "udn,lan_mode,lan_ip,lan_mask\r\nu1,static,1.2.3,255.0.0.0\r\n",
        "entry 1 (u1): lan.ip: '1.2.3' is not an IPv4 address");
    row("CSV ragged", "p.csv", "udn,name\r\nu1\r\n", "line 2 has 1 cells, the header 2");
    row("CSV open quote", "p.csv", "udn,name\r\nu1,\"A\r\n",
        "not valid CSV: line 3: a quoted field is not closed");
}

void TestCliApply::faultyPlanIsRefusedBeforeAnythingIsSent()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, plan);
    QFETCH(QString, error);
    const QString path = WritePlan(name, plan);
    const CCliRun run =
        CCliRun::Run({QStringLiteral("apply"), path, QStringLiteral("--wait"), WAIT});
    QCOMPARE(run.m_nExitCode, 2);
    // The fault alone: a plan's content is no usage error, so no synopsis follows.
    QCOMPARE(run.m_strErr, QStringLiteral("kestavon-cli: plan '%1': %2\n").arg(path, error));
    QCOMPARE(run.m_strOut, QString());
    QCOMPARE(m_network.ProbesReceived(FIRST), 0);
}

void TestCliApply::failedStepIsNamedAndStopsThePlayer()
{
    m_network.SetFault(FIRST, CSimFault{.m_kind = CSimFault::EKind::Errcode,
                                        .m_strOperation = QStringLiteral("setWifiOnOff")});
    const QString plan = WritePlan(QStringLiteral("fail.json"), SitePlan(WriteFirmware("3.0.0")));
    const CCliRun run = Apply(plan);
    QCOMPARE(run.m_nExitCode, 1);
    const QJsonObject failed = ByUdn(run.Json()).value(QStringLiteral("uuid:kestavon-0002"));
    QCOMPARE(failed.value(QStringLiteral("status")).toString(), QStringLiteral("failed"));
    QCOMPARE(failed.value(QStringLiteral("error")).toString(),
             QStringLiteral("wifi: tavrion setup error : command=setWifiOnOff, errcode =0"));
    // Nothing after the failed step: no set-up, no reboot, still at its address.
    QCOMPARE(Changes(m_network.ReceivedRequests(FIRST)),
             (QStringList{QStringLiteral("setDeviceName"), QStringLiteral("setWifiOnOff")}));
    QCOMPARE(m_network.CurrentAddress(FIRST), FIRST);
    // The others went on.
    QCOMPARE(ByUdn(run.Json())
                 .value(QStringLiteral("uuid:kestavon-0003"))
                 .value(QStringLiteral("status")),
             QJsonValue(QStringLiteral("ok")));
}

// A step that fails stops the player; what was sent before it is read back,
// what comes after it was never sent.
void TestCliApply::eachChangeSaysWhetherItTookEffect()
{
    // The player answers the Wi-Fi switch with a failure, yet carries it out.
    m_network.SetFault(FIRST, CSimFault{.m_kind = CSimFault::EKind::Errcode,
                                        .m_strOperation = QStringLiteral("setWifiOnOff")});
    // The second one knows another password, so it does not join.
    CSimPlayerState other = m_network.State(SECOND);
    other.m_accessPoints[1].m_strPassword = QStringLiteral("another");
    m_network.SetState(SECOND, other);
    const QString plan = WritePlan(QStringLiteral("fail.json"), SitePlan(WriteFirmware("3.0.0")));
    const CCliRun run = Apply(plan);
    QCOMPARE(run.m_nExitCode, 1);
    const QHash<QString, QJsonObject> entries = ByUdn(run.Json());

    const QJsonObject first = entries.value(QStringLiteral("uuid:kestavon-0002"));
    QCOMPARE(first.value(QStringLiteral("status")).toString(), QStringLiteral("failed"));
    QHash<QString, QString> expected = {{QStringLiteral("name"), QStringLiteral("applied")},
                                        {QStringLiteral("wifi"), QStringLiteral("applied")}};
    for (const QString &field : States(first).keys()) {
        if (field.startsWith(QLatin1String("lan.")))
            expected.insert(field, QStringLiteral("not sent"));
    }
    QVERIFY(expected.size() > 2);
    QCOMPARE(States(first), expected);
    // Read back after the failure.
    const QStringList operations = Operations(m_network.ReceivedRequests(FIRST));
    QVERIFY2(operations.lastIndexOf(QStringLiteral("getDeviceName")) >
                 operations.indexOf(QStringLiteral("setWifiOnOff")),
             qPrintable(operations.join(QLatin1Char(' '))));

    const QJsonObject second = entries.value(QStringLiteral("uuid:kestavon-0003"));
    QCOMPARE(second.value(QStringLiteral("status")).toString(), QStringLiteral("failed"));
    QCOMPARE(States(second),
             (QHash<QString, QString>{
                 {QStringLiteral("name"), QStringLiteral("applied")},
                 {QStringLiteral("accessPoint.essid"), QStringLiteral("not applied")}}));
    QCOMPARE(
        States(entries.value(QStringLiteral("uuid:kestavon-0004"))),
        (QHash<QString, QString>{{QStringLiteral("firmware.version"), QStringLiteral("applied")}}));
}

void TestCliApply::textShowsEachChangesState()
{
    m_network.SetFault(FIRST, CSimFault{.m_kind = CSimFault::EKind::Errcode,
                                        .m_strOperation = QStringLiteral("setWifiOnOff")});
    const QString plan =
        WritePlan(QStringLiteral("text.json"),
                  R"([{"udn": "uuid:kestavon-0002", "name": "Kitchen", "wifi": "off",
             "lan": {"mode": "static", "ip": "127.0.0.62", "mask": "255.255.255.0",
                     "gateway": "127.0.0.1", "dns1": "127.0.0.1"}}])");
    const CCliRun run =
        CCliRun::Run({QStringLiteral("apply"), plan, QStringLiteral("--wait"), WAIT});
    QCOMPARE(run.m_nExitCode, 1);
    QCOMPARE(run.m_strOut,
             QStringLiteral("uuid:kestavon-0002 at 127.0.0.2: failed: wifi: tavrion setup error : "
                            "command=setWifiOnOff, errcode =0\n"
                            "  name: Player 2 \u2192 Kitchen (applied)\n"
                            "  wifi: on \u2192 off (applied)\n"
                            "  lan.mode: dhcp \u2192 static (not sent)\n"
                            "  lan.ip: 127.0.0.2 \u2192 127.0.0.62 (not sent)\n"
                            "  lan.mask: 255.0.0.0 \u2192 255.255.255.0 (not sent)\n"));
}

void TestCliApply::playerNotBackIsUnverified()
{
    // Away far longer than apply waits.
    m_network.SetUnreachableTime(60000);
    const QString plan = WritePlan(QStringLiteral("away.json"),
                                   QStringLiteral(
                                       R"([{"udn": "uuid:kestavon-0002", "name": "Kitchen",
                 "lan": {"mode": "static", "ip": "127.0.0.62", "mask": "255.255.255.0"}},
                {"udn": "uuid:kestavon-0004", "firmware": {"file": "%1", "version": "3.0.0"}}])")
                                       .arg(WriteFirmware("3.0.0"))
                                       .toUtf8());
    const CCliRun run = CCliRun::Run({QStringLiteral("--json"), QStringLiteral("apply"), plan,
                                      QStringLiteral("--wait"), WAIT, QStringLiteral("--timeout"),
                                      QStringLiteral("2")});
    QCOMPARE(run.m_nExitCode, 1);
    const QJsonObject entry = run.Json().first().toObject();
    QCOMPARE(entry.value(QStringLiteral("status")).toString(), QStringLiteral("unverified"));
    QCOMPARE(entry.value(QStringLiteral("error")).toString(),
             QStringLiteral("not found again by udn within 2 s"));
    // The name was read back before the reboot; the set-up is stored, but
    // whether the player runs it is not known until it comes back.
    const QHash<QString, QString> states = States(entry);
    QCOMPARE(states.value(QStringLiteral("name")), QStringLiteral("applied"));
    QCOMPARE(states.value(QStringLiteral("lan.ip")), QStringLiteral("pending reboot"));
    QCOMPARE(states.value(QStringLiteral("lan.mode")), QStringLiteral("pending reboot"));
    // The image went over, the player never came back to say what it runs.
    const QJsonObject updated = run.Json().at(1).toObject();
    QCOMPARE(updated.value(QStringLiteral("status")).toString(), QStringLiteral("unverified"));
    QCOMPARE(States(updated), (QHash<QString, QString>{{QStringLiteral("firmware.version"),
                                                        QStringLiteral("unknown")}}));
}

// Another player holds the planned address: the player comes back from the
// reboot at its old one, with the set-up stored but not in use.
void TestCliApply::setUpNotInUseAfterItsReboot()
{
    const QString plan = WritePlan(
        QStringLiteral("taken.json"),
        QStringLiteral(R"([{"udn": "uuid:kestavon-0002", "lan": {"mode": "static", "ip": "%1",
                            "mask": "255.255.255.0"}}])")
            .arg(THIRD)
            .toUtf8());
    const CCliRun run = CCliRun::Run({QStringLiteral("--json"), QStringLiteral("apply"), plan,
                                      QStringLiteral("--wait"), WAIT, QStringLiteral("--timeout"),
                                      QStringLiteral("3")});
    QCOMPARE(run.m_nExitCode, 1);
    const QJsonObject entry = run.Json().first().toObject();
    QCOMPARE(entry.value(QStringLiteral("status")).toString(), QStringLiteral("unverified"));
    QCOMPARE(entry.value(QStringLiteral("error")).toString(),
             QStringLiteral("read back: lan.ip in use is '%1'").arg(FIRST));
    QCOMPARE(entry.value(QStringLiteral("player")).toString(), FIRST);
    const QHash<QString, QString> states = States(entry);
    QVERIFY(states.contains(QStringLiteral("lan.ip")));
    for (const QString &field : states.keys())
        QCOMPARE(states.value(field), QStringLiteral("pending reboot"));
    QCOMPARE(m_network.CurrentAddress(FIRST), FIRST);

    // A second run does not take the stored set-up for done: it reboots the
    // player again, and only that.
    const qsizetype before = m_network.ReceivedRequests(FIRST).size();
    const CCliRun again = CCliRun::Run({QStringLiteral("--json"), QStringLiteral("apply"), plan,
                                        QStringLiteral("--wait"), WAIT, QStringLiteral("--timeout"),
                                        QStringLiteral("3")});
    QCOMPARE(again.m_nExitCode, 1);
    const QJsonObject second = again.Json().first().toObject();
    QCOMPARE(second.value(QStringLiteral("status")).toString(), QStringLiteral("unverified"));
    QCOMPARE(second.value(QStringLiteral("pendingReboot")).toArray(),
             QJsonArray{QStringLiteral("lan")});
    QCOMPARE(States(second), (QHash<QString, QString>{
                                 {QStringLiteral("lan.ip"), QStringLiteral("pending reboot")}}));
    QCOMPARE(Changes(m_network.ReceivedRequests(FIRST).mid(before)),
             QStringList{QStringLiteral("rebootDevice")});
}

void TestCliApply::storedSetupIsRebootedByALaterRun_data()
{
    QTest::addColumn<bool>("dryRun");
    QTest::newRow("rebooted") << false;
    QTest::newRow("dry run says it would") << true;
}

// A set-up stored without its reboot reads as planned while the player still
// answers at its old address: not unchanged, it needs the reboot.
void TestCliApply::storedSetupIsRebootedByALaterRun()
{
    QFETCH(bool, dryRun);
    CSimPlayerState state = m_network.State(FIRST);
    state.m_lanSetup = MovedSetup();
    m_network.SetState(FIRST, state);
    const QString plan = WritePlan(QStringLiteral("stored.json"), MOVE_PLAN);
    if (dryRun) {
        const CCliRun run =
            CCliRun::Run({QStringLiteral("apply"), plan, QStringLiteral("--dry-run"),
                          QStringLiteral("--wait"), WAIT});
        QVERIFY2(run.m_nExitCode == 0, run.Describe());
        QCOMPARE(run.m_strOut, QStringLiteral("uuid:kestavon-0002 at 127.0.0.2: planned\n"
                                              "  lan.ip: 127.0.0.2 \u2192 127.0.0.62\n"
                                              "  lan: set up as planned, pending reboot; would "
                                              "reboot\n"
                                              "  lan.mode: unchanged\n"
                                              "  lan.mask: unchanged\n"
                                              "  lan.gateway: unchanged\n"
                                              "  lan.dns1: unchanged\n"
                                              "  lan.dns2: unchanged\n"));
        QCOMPARE(Changes(m_network.ReceivedRequests(FIRST)), QStringList());
        QCOMPARE(m_network.CurrentAddress(FIRST), FIRST);
        return;
    }
    const CCliRun run = Apply(plan);
    QVERIFY2(run.m_nExitCode == 0, run.Describe());
    const QJsonObject entry = run.Json().first().toObject();
    QCOMPARE(entry.value(QStringLiteral("status")).toString(), QStringLiteral("ok"));
    QCOMPARE(entry.value(QStringLiteral("player")).toString(), MOVED);
    QCOMPARE(entry.value(QStringLiteral("pendingReboot")).toArray(),
             QJsonArray{QStringLiteral("lan")});
    QCOMPARE(entry.value(QStringLiteral("changes")).toArray(),
             (QJsonArray{QJsonObject{{QStringLiteral("field"), QStringLiteral("lan.ip")},
                                     {QStringLiteral("from"), FIRST},
                                     {QStringLiteral("to"), MOVED},
                                     {QStringLiteral("state"), QStringLiteral("applied")}}}));
    // Only the reboot: the stored set-up is not sent again.
    QCOMPARE(Changes(m_network.ReceivedRequests(FIRST)),
             QStringList{QStringLiteral("rebootDevice")});
    QCOMPARE(m_network.CurrentAddress(FIRST), MOVED);
}

void TestCliApply::playerClaimedTwiceGetsNothing_data()
{
    QTest::addColumn<bool>("byLanMac");
    QTest::addColumn<QString>("error");
    QTest::newRow("one udn announced from two addresses")
        << false
        << QStringLiteral("uuid:kestavon-0002 is announced by more than one address (127.0.0.2, "
                          "127.0.0.3); nothing was sent to any of them");
    QTest::newRow("one LAN MAC address reported by two players")
        << true
        << QStringLiteral("02:4B:53:00:00:02 is reported by more than one address (127.0.0.2, "
                          "127.0.0.3); nothing was sent to any of them");
}

void TestCliApply::playerClaimedTwiceGetsNothing()
{
    QFETCH(bool, byLanMac);
    QFETCH(QString, error);
    const CSimPlayerConfig first = CSimPlayerConfig::ForAddress(FIRST);
    CSimPlayerConfig second = CSimPlayerConfig::ForAddress(SECOND);
    if (byLanMac)
        second.m_state.m_strLanMac = first.m_state.m_strLanMac;
    else
        second.m_strUdn = first.m_strUdn;
    QString startError;
    QVERIFY2(m_network.Start({first, second, CSimPlayerConfig::ForAddress(THIRD)}, &startError),
             qPrintable(startError));
    const QByteArray key =
        byLanMac ? R"("lanmac": "02:4b:53:00:00:02")" : R"("udn": "uuid:kestavon-0002")";
    const QString plan = WritePlan(QStringLiteral("claimed.json"),
                                   "[{" + key + R"(, "name": "Kitchen", "wifi": "off",
           "accessPoint": {"essid": "Neighbour", "encryption": "WEP", "passwordEnv": ")" +
                                       PASSWORD_VARIABLE.toLatin1() + R"("}},
          {"udn": "uuid:kestavon-0004", "name": "Office"}])");
    const CCliRun run = Apply(plan);
    QCOMPARE(run.m_nExitCode, 1);
    const QJsonObject refused = run.Json().first().toObject();
    QCOMPARE(refused.value(QStringLiteral("status")).toString(), QStringLiteral("ambiguous"));
    QCOMPARE(refused.value(QStringLiteral("error")).toString(), error);
    QCOMPARE(refused.value(QStringLiteral("player")), QJsonValue(QJsonValue::Null));
    for (const QString &ip : {FIRST, SECOND}) {
        QCOMPARE(Changes(m_network.ReceivedRequests(ip)), QStringList());
        QCOMPARE(m_network.State(ip).m_strDeviceName, CSimPlayerConfig::ForAddress(ip).m_strName);
    }
    // The plan's other entries go on.
    QCOMPARE(run.Json().at(1).toObject().value(QStringLiteral("status")).toString(),
             QStringLiteral("ok"));
    QCOMPARE(m_network.State(THIRD).m_strDeviceName, QStringLiteral("Office"));
}

KESTAVON_TEST_MAIN(TestCliApply)
#include "tst_cliapply.moc"
