#include <QTest>

#include "commandcatalogue.h"
#include "isolatednetwork.h"

class TestCommandCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void entries_data();
    void entries();
    void unknownNumbersFindNothing();
    void copiesStartWithoutError();
    void sharedTemplates();
};

void TestCommandCatalogue::entries_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("set");
    QTest::addColumn<QString>("body");

    const QString profile =
        QStringLiteral("<profile><name>%s</name><ssid>%s</ssid><securitymode>%s</securitymode>"
                       "<signalstrength>%s</signalstrength></profile>");
    const QString ipSetup = QStringLiteral(
        "<setupmode>%s</setupmode><ipaddress>%s</ipaddress><subnetmask>%s</subnetmask>"
        "<defaultgateway>%s</defaultgateway><primarydns>%s</primarydns><seconddns>%s</seconddns>");
    const struct
    {
        int id;
        const char *operation;
        int set;
        QString body;
    } rows[] = {
        {1, "getDeviceName", 0, {}},
        {2, "setDeviceName", 1, QStringLiteral("<devicename>%s</devicename>")},
        {3, "getWifiOnOff", 0, {}},
        {4, "setWifiOnOff", 1, QStringLiteral("<wifionoff>%s</wifionoff>")},
        {5, "getApList", 0, {}},
        {6, "connectAp", 1,
         QStringLiteral(
             "<essid>%s</essid><password>%s</password><encryptionkey>%s</encryptionkey>")},
        {7, "getDeviceInfo", 0, {}},
        {8, "getProfileList", 0, {}},
        {9, "addProfile", 1, profile},
        {10, "setProfile", 1, profile},
        {11, "getProfile", 0, {}},
        {12, "deleteProfile", 1, QStringLiteral("<essid>%s</essid>")},
        {13, "activeProfile", 1, QStringLiteral("<ssid>%s</ssid>")},
        {14, "getLanSetup", 0, {}},
        {15, "getWifiSetup", 0, {}},
        {16, "setLanSetup", 1, ipSetup},
        {17, "setWifiSetup", 1, ipSetup},
        {18, "updateFirmware", 1, QStringLiteral("<downloadip>%s</downloadip>")},
        {19, "resetRender", 1, {}},
        {20, "rebootDevice", 1, {}},
        {21, "getConnectedESSID", 0, {}},
    };
    for (const auto &row : rows) {
        QTest::addRow("%d %s", row.id, row.operation)
            << row.id << QString::fromLatin1(row.operation) << row.set << row.body;
    }
}

void TestCommandCatalogue::entries()
{
    QFETCH(int, id);
    QFETCH(QString, operation);
    QFETCH(int, set);
    QFETCH(QString, body);

    const STP_CMD_TAG *entry = FindCommand(id);
    QVERIFY(entry);
    QCOMPARE(entry->nId, id);
    QCOMPARE(entry->strOperation, operation);
    QCOMPARE(entry->bSet, set);
    QCOMPARE(entry->strBodyFormat, body);
    QCOMPARE(entry->error.nCode, 0);
    QVERIFY(entry->error.strText.isEmpty());
    QCOMPARE(STP_CMD_TABLE.at(static_cast<size_t>(id - 1)).nId, id);
}

void TestCommandCatalogue::unknownNumbersFindNothing()
{
    QVERIFY(!FindCommand(0));
    QVERIFY(!FindCommand(22));
    QVERIFY(!FindCommand(-1));
    QCOMPARE(FindCommand(21)->strOperation, QStringLiteral("getConnectedESSID"));
}

void TestCommandCatalogue::copiesStartWithoutError()
{
    STP_CMD_TAG first = *FindCommand(2);
    first.error = {1, QStringLiteral("error: Invalid Packet")};
    const STP_CMD_TAG second = *FindCommand(2);
    QCOMPARE(second.error.nCode, 0);
    QVERIFY(second.error.strText.isEmpty());
}

void TestCommandCatalogue::sharedTemplates()
{
    QCOMPARE(FindCommand(9)->strBodyFormat, FindCommand(10)->strBodyFormat);
    QCOMPARE(FindCommand(16)->strBodyFormat, FindCommand(17)->strBodyFormat);
    QVERIFY(FindCommand(9)->strOperation != FindCommand(10)->strOperation);
    QVERIFY(FindCommand(16)->strOperation != FindCommand(17)->strOperation);
}

KESTAVON_TEST_MAIN(TestCommandCatalogue)
#include "tst_commandcatalogue.moc"
