#include <QCoreApplication>
#include <QFile>
#include <QJsonObject>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include "clirun.h"
#include "isolatednetwork.h"

namespace {

constexpr quint16 ANNOUNCE_PORT = 10014;
constexpr quint16 FIRMWARE_PORT = 10017;

QJsonObject Finding(const char *check, bool ok, const QString &detail, const QString &fix = {})
{
    return {
        {QStringLiteral("check"), QString::fromLatin1(check)},
        {QStringLiteral("ok"), ok},
        {QStringLiteral("detail"), detail},
        {QStringLiteral("fix"), fix.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(fix)}};
}

const QJsonObject ADAPTER =
    Finding("adapter lo", true, QStringLiteral("127.0.0.1 mask 255.0.0.0, sweeps 127.0.0.0/24"));
const QJsonObject ANNOUNCE_FREE =
    Finding("TCP 10014", true, QStringLiteral("free, for announcements"));
const QJsonObject FIRMWARE_FREE =
    Finding("TCP 10017", true, QStringLiteral("free, for firmware downloads"));
const QJsonObject SELF_TEST =
    Finding("self-test", true, QStringLiteral("an announcement to 127.0.0.1:10014 was received"));

QString Holder()
{
    return QStringLiteral("held by tst_clidoctor (pid %1)").arg(QCoreApplication::applicationPid());
}

} // namespace

// doctor says what stands between this computer and its players, and how to
// clear it; exit 0 only when nothing does. Firewall tools are fakes on PATH.
class TestCliDoctor : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void nothingInTheWay();
    void heldPortIsNamedWithItsHolder_data();
    void heldPortIsNamedWithItsHolder();
    void firewallThatWouldDrop_data();
    void firewallThatWouldDrop();

private:
    void FakeTool(const QString &name, const QByteArray &script);
    CCliRun Doctor();

    std::unique_ptr<QTemporaryDir> m_pTools;
};

void TestCliDoctor::init()
{
    // Only the fakes: the machine's own firewall tools are never asked.
    m_pTools = std::make_unique<QTemporaryDir>();
    QVERIFY(m_pTools->isValid());
    qputenv("PATH", m_pTools->path().toLocal8Bit());
}

void TestCliDoctor::cleanup()
{
    m_pTools.reset();
}

void TestCliDoctor::FakeTool(const QString &name, const QByteArray &script)
{
    QFile file(m_pTools->filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n" + script);
    file.close();
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
}

CCliRun TestCliDoctor::Doctor()
{
    return CCliRun::Run({QStringLiteral("--json"), QStringLiteral("doctor")});
}

void TestCliDoctor::nothingInTheWay()
{
    const CCliRun run = Doctor();
    QVERIFY2(run.m_nExitCode == 0, run.Describe());
    QCOMPARE(run.Json(), (QJsonArray{ADAPTER, ANNOUNCE_FREE, FIRMWARE_FREE, SELF_TEST}));
}

void TestCliDoctor::heldPortIsNamedWithItsHolder_data()
{
    QTest::addColumn<quint16>("port");
    QTest::addColumn<QJsonArray>("findings");
    QTest::newRow("announcements")
        << ANNOUNCE_PORT
        << QJsonArray{ADAPTER,
                      Finding("TCP 10014", false, Holder(), QStringLiteral("close tst_clidoctor")),
                      FIRMWARE_FREE,
                      Finding("self-test", false,
                              QStringLiteral("not run: no adapter, or TCP 10014 is not free"),
                              QStringLiteral("clear the problems above"))};
    QTest::newRow("firmware downloads")
        << FIRMWARE_PORT
        << QJsonArray{ADAPTER, ANNOUNCE_FREE,
                      Finding("TCP 10017", false, Holder(), QStringLiteral("close tst_clidoctor")),
                      SELF_TEST};
}

void TestCliDoctor::heldPortIsNamedWithItsHolder()
{
    QFETCH(quint16, port);
    QFETCH(QJsonArray, findings);
    QTcpServer squatter;
    QVERIFY(squatter.listen(QHostAddress::AnyIPv4, port));
    const CCliRun run = Doctor();
    QCOMPARE(run.m_nExitCode, 1);
    QCOMPARE(run.Json(), findings);
}

void TestCliDoctor::firewallThatWouldDrop_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QJsonArray>("findings");
    QTest::addColumn<int>("exitCode");

    const QByteArray dropping = "printf '%s\\n' 'table inet filter {' '  chain input {' "
                                "'    type filter hook input priority filter; policy drop;' "
                                "'    ct state established accept' '  }' '}'\n";
    QTest::newRow("nftables drops both")
        << QStringLiteral("nft") << dropping
        << QJsonArray{Finding("nftables inet filter input", false,
                              QStringLiteral("drops by default and accepts no TCP 10014 or 10017"),
                              QStringLiteral("nft add rule inet filter input tcp dport { 10014, "
                                             "10017 } accept"))}
        << 1;
    QTest::newRow("nftables lets both in")
        << QStringLiteral("nft")
        << QByteArray("printf '%s\\n' 'table ip fw {' '  chain in {' "
                      "'    type filter hook input priority 0; policy drop;' "
                      "'    tcp dport { 10014, 10017 } accept' '  }' '}'\n")
        << QJsonArray{Finding("nftables ip fw in", true,
                              QStringLiteral("drops by default, accepts TCP 10014 and 10017"))}
        << 0;
    QTest::newRow("nftables unreadable")
        << QStringLiteral("nft") << QByteArray("exit 1\n") << QJsonArray() << 0;
    QTest::newRow("firewalld without the service")
        << QStringLiteral("firewall-cmd")
        << QByteArray("case \"$1\" in --state) echo running;; *) echo no; exit 1;; esac\n")
        << QJsonArray{Finding("firewalld", false,
                              QStringLiteral("running, and the kestavon-setup service is not open"),
                              QStringLiteral("firewall-cmd --add-service=kestavon-setup && "
                                             "firewall-cmd --permanent "
                                             "--add-service=kestavon-setup"))}
        << 1;
    QTest::newRow("firewalld stopped")
        << QStringLiteral("firewall-cmd") << QByteArray("echo 'not running'; exit 252\n")
        << QJsonArray() << 0;
    QTest::newRow("ufw without the profile")
        << QStringLiteral("ufw")
        << QByteArray("echo 'Status: active'; echo '22/tcp ALLOW Anywhere'\n")
        << QJsonArray{Finding("ufw", false,
                              QStringLiteral("active, and Kestavon Setup is not allowed"),
                              QStringLiteral("ufw allow \"Kestavon Setup\""))}
        << 1;
    QTest::newRow("ufw with the profile")
        << QStringLiteral("ufw")
        << QByteArray("echo 'Status: active'; echo 'Kestavon Setup ALLOW Anywhere'\n")
        << QJsonArray{Finding("ufw", true, QStringLiteral("active, Kestavon Setup allowed"))} << 0;
}

void TestCliDoctor::firewallThatWouldDrop()
{
    QFETCH(QString, tool);
    QFETCH(QByteArray, script);
    QFETCH(QJsonArray, findings);
    QFETCH(int, exitCode);
    FakeTool(tool, script);
    const CCliRun run = Doctor();
    QVERIFY2(run.m_nExitCode == exitCode, run.Describe());
    QJsonArray expected{ADAPTER, ANNOUNCE_FREE, FIRMWARE_FREE};
    for (const QJsonValue &finding : findings)
        expected.append(finding);
    expected.append(SELF_TEST);
    QCOMPARE(run.Json(), expected);
}

KESTAVON_TEST_MAIN(TestCliDoctor)
#include "tst_clidoctor.moc"
