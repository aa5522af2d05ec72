#include <QJsonObject>
#include <QTcpServer>
#include <QTest>

#include "clirun.h"
#include "isolatednetwork.h"
#include "simnetwork.h"

namespace {

// Players on loopback answer a sweep within milliseconds.
const QString WAIT = QStringLiteral("1");

CSimPlayerConfig Player(const char *address, const char *model)
{
    CSimPlayerConfig config = CSimPlayerConfig::ForAddress(QString::fromLatin1(address));
    config.m_strModel = QString::fromLatin1(model);
    return config;
}

QHash<QString, QJsonObject> ByKey(const QJsonArray &array, const QString &key)
{
    QHash<QString, QJsonObject> byKey;
    for (const QJsonValue &value : array)
        byKey.insert(value.toObject().value(key).toString(), value.toObject());
    return byKey;
}

QJsonObject Announced(const char *address, const char *model, int modelClass)
{
    const CSimPlayerConfig config = Player(address, model);
    return {
        {QStringLiteral("name"), config.m_strName},  {QStringLiteral("model"), config.m_strModel},
        {QStringLiteral("ip"), config.m_strAddress}, {QStringLiteral("udn"), config.m_strUdn},
        {QStringLiteral("modelClass"), modelClass},  {QStringLiteral("duplicateUdn"), false}};
}

} // namespace

// discover lists what answers a sweep; --all applies a command to every
// player of class 2 and reports the others as skipped.
class TestCliAll : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void discoverListsEveryPlayer_data();
    void discoverListsEveryPlayer();
    void discoverText();
    void allSkipsOtherClasses();
    void allWithOneFailing();
    void noPlayerFoundExitsWith3_data();
    void noPlayerFoundExitsWith3();
    void nothingIsSweptWithoutTheAnnouncementPort();

private:
    CSimNetwork m_network;
};

void TestCliAll::init()
{
    QString error;
    QVERIFY2(m_network.Start({Player("127.0.0.2", "KS-210"), Player("127.0.0.3", "KS-210"),
                              Player("127.0.0.4", "KS-200"), Player("127.0.0.5", "KS-300")},
                             &error),
             qPrintable(error));
}

void TestCliAll::discoverListsEveryPlayer_data()
{
    QTest::addColumn<QStringList>("choice");
    QTest::newRow("first adapter") << QStringList();
    QTest::newRow("adapter by description")
        << QStringList{QStringLiteral("--adapter"), QStringLiteral("lo")};
    QTest::newRow("local address")
        << QStringList{QStringLiteral("--local-ip"), QStringLiteral("127.0.0.1")};
}

void TestCliAll::discoverListsEveryPlayer()
{
    QFETCH(QStringList, choice);
    const CCliRun run =
        CCliRun::Run(QStringList{QStringLiteral("--json"), QStringLiteral("discover"),
                                 QStringLiteral("--wait"), WAIT} +
                     choice);
    QVERIFY2(run.m_nExitCode == 0, run.Describe());
    QCOMPARE(
        run.Json(),
        (QJsonArray{Announced("127.0.0.2", "KS-210", 2), Announced("127.0.0.3", "KS-210", 2),
                    Announced("127.0.0.4", "KS-200", 1), Announced("127.0.0.5", "KS-300", 3)}));
}

void TestCliAll::discoverText()
{
    const CCliRun run = CCliRun::Run({QStringLiteral("discover"), QStringLiteral("--wait"), WAIT});
    QVERIFY2(run.m_nExitCode == 0, run.Describe());
    QCOMPARE(run.m_strOut, QStringLiteral("NAME      MODEL   IP         UDN                 CLASS\n"
                                          "Player 2  KS-210  127.0.0.2  uuid:kestavon-0002  2\n"
                                          "Player 3  KS-210  127.0.0.3  uuid:kestavon-0003  2\n"
                                          "Player 4  KS-200  127.0.0.4  uuid:kestavon-0004  1\n"
                                          "Player 5  KS-300  127.0.0.5  uuid:kestavon-0005  3\n"));
    QCOMPARE(run.m_strErr, QString());
}

void TestCliAll::allSkipsOtherClasses()
{
    const CCliRun run =
        CCliRun::Run({QStringLiteral("--json"), QStringLiteral("--all"), QStringLiteral("--wait"),
                      WAIT, QStringLiteral("name"), QStringLiteral("Renamed")});
    QVERIFY2(run.m_nExitCode == 0, run.Describe());
    const QHash<QString, QJsonObject> entries = ByKey(run.Json(), QStringLiteral("player"));
    QCOMPARE(entries.size(), 4);
    for (const QString &ip : {QStringLiteral("127.0.0.2"), QStringLiteral("127.0.0.3")}) {
        const QJsonObject entry = entries.value(ip);
        QCOMPARE(entry.value(QStringLiteral("ok")), QJsonValue(true));
        QCOMPARE(entry.value(QStringLiteral("skipped")), QJsonValue(false));
        QCOMPARE(entry.value(QStringLiteral("result")).toObject(),
                 (QJsonObject{{QStringLiteral("devicename"), QStringLiteral("Renamed")}}));
        QCOMPARE(m_network.State(ip).m_strDeviceName, QStringLiteral("Renamed"));
    }
    const QJsonObject skipped = entries.value(QStringLiteral("127.0.0.4"));
    QCOMPARE(skipped.value(QStringLiteral("ok")), QJsonValue(true));
    QCOMPARE(skipped.value(QStringLiteral("skipped")), QJsonValue(true));
    QCOMPARE(skipped.value(QStringLiteral("result")).toObject(),
             (QJsonObject{{QStringLiteral("name"), QStringLiteral("Player 4")},
                          {QStringLiteral("model"), QStringLiteral("KS-200")},
                          {QStringLiteral("modelClass"), 1}}));
    QCOMPARE(entries.value(QStringLiteral("127.0.0.5")).value(QStringLiteral("skipped")),
             QJsonValue(true));
    for (const QString &ip : {QStringLiteral("127.0.0.4"), QStringLiteral("127.0.0.5")}) {
        QCOMPARE(m_network.ReceivedRequests(ip), QList<QByteArray>());
        QCOMPARE(m_network.State(ip).m_strDeviceName,
                 QStringLiteral("Player %1").arg(ip.section(u'.', 3)));
    }
}

void TestCliAll::allWithOneFailing()
{
    CSimFault refuse;
    refuse.m_kind = CSimFault::EKind::Refuse;
    m_network.SetFault(QStringLiteral("127.0.0.3"), refuse);

    const CCliRun run = CCliRun::Run({QStringLiteral("--all"), QStringLiteral("--parallel"),
                                      QStringLiteral("4"), QStringLiteral("--wait"), WAIT,
                                      QStringLiteral("wifi"), QStringLiteral("off")});
    QCOMPARE(run.m_nExitCode, 1);
    QCOMPARE(run.m_strErr, QStringLiteral("127.0.0.3: error: socket connection failed\n"));
    QCOMPARE(run.m_strOut, QStringLiteral("127.0.0.2: ok\n"
                                          "127.0.0.4: skipped (KS-200, model class 1)\n"
                                          "127.0.0.5: skipped (KS-300, model class 3)\n"));
    QVERIFY(!m_network.State(QStringLiteral("127.0.0.2")).m_wifiOn);
    QVERIFY(m_network.State(QStringLiteral("127.0.0.4")).m_wifiOn);
}

void TestCliAll::noPlayerFoundExitsWith3_data()
{
    QTest::addColumn<bool>("playersRunning");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("out");

    const QStringList swept = {QStringLiteral("--wait"), WAIT};
    QTest::newRow("discover, nobody there")
        << false << (QStringList{QStringLiteral("discover")} + swept) << QString();
    QTest::newRow("discover as JSON, nobody there")
        << false << (QStringList{QStringLiteral("--json"), QStringLiteral("discover")} + swept)
        << QStringLiteral("[\n]\n");
    QTest::newRow("all, nobody there")
        << false
        << (QStringList{QStringLiteral("--all")} + swept + QStringList{QStringLiteral("info")})
        << QString();
    QTest::newRow("players on another network")
        << true
        << (QStringList{QStringLiteral("discover"), QStringLiteral("--local-ip"),
                        QStringLiteral("127.0.1.1")} +
            swept)
        << QString();
}

void TestCliAll::noPlayerFoundExitsWith3()
{
    QFETCH(bool, playersRunning);
    QFETCH(QStringList, arguments);
    QFETCH(QString, out);
    if (!playersRunning)
        m_network.Stop();

    const CCliRun run = CCliRun::Run(arguments);
    QCOMPARE(run.m_nExitCode, 3);
    // The usual cause is a firewall: the second line says how to open it.
    QCOMPARE(run.m_strErr,
             QStringLiteral("kestavon-cli: no player answered\n"
                            "kestavon-cli: hint: players answer on TCP port 10014 of this "
                            "computer; if a firewall runs, let them in with 'firewall-cmd "
                            "--add-service=kestavon-setup' or 'ufw allow \"Kestavon Setup\"'\n"));
    QCOMPARE(run.m_strOut, out);
}

void TestCliAll::nothingIsSweptWithoutTheAnnouncementPort()
{
    constexpr quint16 ANNOUNCE_PORT = 10014;
    QTcpServer squatter;
    QVERIFY(squatter.listen(QHostAddress::AnyIPv4, ANNOUNCE_PORT));

    const CCliRun run = CCliRun::Run(
        {QStringLiteral("--all"), QStringLiteral("--wait"), WAIT, QStringLiteral("reboot")});
    QCOMPARE(run.m_nExitCode, 1);
    // The holder is this test, and it is named.
    QCOMPARE(run.m_strErr,
             QStringLiteral("kestavon-cli: TCP port 10014 is in use by tst_cliall (pid %1)\n")
                 .arg(QCoreApplication::applicationPid()));
    QCOMPARE(m_network.ProbesReceived(QStringLiteral("127.0.0.2")), 0);
    QCOMPARE(m_network.ReceivedRequests(QStringLiteral("127.0.0.2")), QList<QByteArray>());
}

KESTAVON_TEST_MAIN(TestCliAll)
#include "tst_cliall.moc"
