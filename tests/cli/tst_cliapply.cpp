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
    void playerNotBackIsUnverified();

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
                          {QStringLiteral("to"), QStringLiteral("Kitchen")}}));

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

void TestCliApply::playerNotBackIsUnverified()
{
    // Away far longer than apply waits.
    m_network.SetUnreachableTime(60000);
    const QString plan =
        WritePlan(QStringLiteral("away.json"),
                  R"([{"udn": "uuid:kestavon-0002", "lan": {"mode": "static", "ip": "127.0.0.62",
             "mask": "255.255.255.0"}}])");
    const CCliRun run = CCliRun::Run({QStringLiteral("--json"), QStringLiteral("apply"), plan,
                                      QStringLiteral("--wait"), WAIT, QStringLiteral("--timeout"),
                                      QStringLiteral("2")});
    QCOMPARE(run.m_nExitCode, 1);
    const QJsonObject entry = run.Json().first().toObject();
    QCOMPARE(entry.value(QStringLiteral("status")).toString(), QStringLiteral("unverified"));
    QCOMPARE(entry.value(QStringLiteral("error")).toString(),
             QStringLiteral("not found again by udn within 2 s"));
}

KESTAVON_TEST_MAIN(TestCliApply)
#include "tst_cliapply.moc"
