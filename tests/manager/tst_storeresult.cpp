#include <QTest>

#include "commandcatalogue.h"
#include "isolatednetwork.h"
#include "playersession.h"

namespace {

STP_CMD_RESULT_TAG Result(int id, QList<CMapStringToString> items)
{
    return STP_CMD_RESULT_TAG{id, std::move(items)};
}

CMapStringToString Map(std::initializer_list<std::pair<QString, QString>> pairs)
{
    return CMapStringToString(pairs);
}

const QString kKeep = QStringLiteral("kept");

} // namespace

class TestStoreResult : public QObject
{
    Q_OBJECT

private slots:
    void wifiOnOff_data();
    void wifiOnOff();
    void singleValues_data();
    void singleValues();
    void deviceInfoKeepsMissingFields();
    void setupModeFollowsTheLastQuery();
    void accessPointListIsRebuilt();
    void otherCommandsChangeNothing();
};

void TestStoreResult::wifiOnOff_data()
{
    QTest::addColumn<QList<CMapStringToString>>("items");
    QTest::addColumn<int>("flag");
    const QString key = QStringLiteral("wifionoff");
    for (const char *on : {"ON", "on", "On"})
        QTest::addRow("%s", on) << QList{Map({{key, QLatin1String(on)}})} << 1;
    for (const char *off : {"OFF", "off", "1", "", " ON"})
        QTest::addRow("'%s'", off) << QList{Map({{key, QLatin1String(off)}})} << 0;
    QTest::newRow("key missing") << QList{Map({})} << 0;
    QTest::newRow("empty list keeps the flag") << QList<CMapStringToString>{} << 7;
}

void TestStoreResult::wifiOnOff()
{
    QFETCH(QList<CMapStringToString>, items);
    QFETCH(int, flag);
    CPlayerSession manager;
    manager.m_device.wifionoff = 7;
    manager.StoreResult(Result(CMD_GET_WIFI_ON_OFF, items));
    QCOMPARE(manager.GetDevice().wifionoff, flag);
}

void TestStoreResult::singleValues_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QList<CMapStringToString>>("items");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("essid");

    const QString devicename = QStringLiteral("devicename");
    const QString connected = QStringLiteral("connected_essid");
    QTest::newRow("name") << int(CMD_GET_DEVICE_NAME)
                          << QList{Map({{devicename, QStringLiteral("Den")}})}
                          << QStringLiteral("Den") << kKeep;
    QTest::newRow("empty name") << int(CMD_GET_DEVICE_NAME) << QList{Map({{devicename, QString()}})}
                                << QString() << kKeep;
    QTest::newRow("name missing") << int(CMD_GET_DEVICE_NAME) << QList{Map({})} << kKeep << kKeep;
    QTest::newRow("no records") << int(CMD_GET_DEVICE_NAME) << QList<CMapStringToString>{} << kKeep
                                << kKeep;
    QTest::newRow("connected essid")
        << int(CMD_GET_CONNECTED_ESSID) << QList{Map({{connected, QStringLiteral("Net")}})} << kKeep
        << QStringLiteral("Net");
}

void TestStoreResult::singleValues()
{
    QFETCH(int, id);
    QFETCH(QList<CMapStringToString>, items);
    QFETCH(QString, name);
    QFETCH(QString, essid);
    CPlayerSession manager;
    manager.m_device.devicename = kKeep;
    manager.m_strConnectedEssid = kKeep;
    manager.StoreResult(Result(id, items));
    QCOMPARE(manager.GetDevice().devicename, name);
    QCOMPARE(manager.m_strConnectedEssid, essid);
}

void TestStoreResult::deviceInfoKeepsMissingFields()
{
    CPlayerSession manager;
    manager.m_device.serialnumber = kKeep;
    manager.m_device.wifimac = kKeep;
    manager.StoreResult(Result(CMD_GET_DEVICE_INFO,
                               {Map({{QStringLiteral("lanip"), QStringLiteral("10.0.0.9")},
                                     {QStringLiteral("wifiip"), QStringLiteral("10.0.1.9")},
                                     {QStringLiteral("lanmac"), QStringLiteral("aa")},
                                     {QStringLiteral("firmversion"), QStringLiteral("2.0")}})}));
    QCOMPARE(manager.GetDevice().lanip, QStringLiteral("10.0.0.9"));
    QCOMPARE(manager.GetDevice().wifiip, QStringLiteral("10.0.1.9"));
    QCOMPARE(manager.GetDevice().lanmac, QStringLiteral("aa"));
    QCOMPARE(manager.GetDevice().firmversion, QStringLiteral("2.0"));
    QCOMPARE(manager.GetDevice().wifimac, kKeep);
    QCOMPARE(manager.GetDevice().serialnumber, kKeep);
}

void TestStoreResult::setupModeFollowsTheLastQuery()
{
    auto setup = [](const char *mode, const char *address) {
        return QList{Map({{QStringLiteral("setupmode"), QLatin1String(mode)},
                          {QStringLiteral("ipaddress"), QLatin1String(address)},
                          {QStringLiteral("subnetmask"), QStringLiteral("255.0.0.0")},
                          {QStringLiteral("defaultgateway"), QStringLiteral("gw")},
                          {QStringLiteral("primarydns"), QStringLiteral("d1")},
                          {QStringLiteral("seconddns"), QStringLiteral("d2")}})};
    };
    CPlayerSession manager;
    manager.StoreResult(Result(CMD_GET_LAN_SETUP, setup("STATIC", "10.0.0.5")));
    manager.StoreResult(Result(CMD_GET_WIFI_SETUP, setup("DHCP", "10.0.1.5")));
    const CDevice &device = manager.GetDevice();
    QCOMPARE(device.setupmode, QStringLiteral("DHCP"));
    QCOMPARE(device.lanIpaddress, QStringLiteral("10.0.0.5"));
    QCOMPARE(device.wifiIpaddress, QStringLiteral("10.0.1.5"));
    QCOMPARE(device.lanSubnetmask, QStringLiteral("255.0.0.0"));
    QCOMPARE(device.wifiSeconddns, QStringLiteral("d2"));
    QCOMPARE(device.lanDefaultgateway, QStringLiteral("gw"));
    QCOMPARE(device.lanPrimarydns, QStringLiteral("d1"));
}

void TestStoreResult::accessPointListIsRebuilt()
{
    CPlayerSession manager;
    manager.StoreResult(
        Result(CMD_GET_AP_LIST, {Map({{QStringLiteral("essid"), QStringLiteral("A")},
                                      {QStringLiteral("encryptionkey"), QStringLiteral("WPA2")},
                                      {QStringLiteral("quality"), QStringLiteral("70")},
                                      {QStringLiteral("connected"), QStringLiteral("1")},
                                      {QStringLiteral("saved"), QStringLiteral("1")}}),
                                 Map({{QStringLiteral("essid"), QStringLiteral("B")},
                                      {QStringLiteral("quality"), QStringLiteral("5")}})}));
    QCOMPARE(manager.GetAccessPoints().size(), 2);
    QCOMPARE(manager.GetAccessPoints().at(0),
             CAccessPoint(QStringLiteral("A"), QStringLiteral("WPA2"), QStringLiteral("70"),
                          QStringLiteral("1"), QStringLiteral("1")));
    QCOMPARE(
        manager.GetAccessPoints().at(1),
        CAccessPoint(QStringLiteral("B"), QString(), QStringLiteral("5"), QString(), QString()));

    manager.StoreResult(Result(CMD_GET_AP_LIST, {}));
    QVERIFY(manager.GetAccessPoints().isEmpty());
}

void TestStoreResult::otherCommandsChangeNothing()
{
    CPlayerSession manager;
    manager.m_device.devicename = kKeep;
    manager.m_accessPoints.append(CAccessPoint(kKeep, {}, {}, {}, {}));
    for (const int id :
         {int(CMD_GET_PROFILE_LIST), int(CMD_GET_PROFILE), int(CMD_SET_DEVICE_NAME)}) {
        manager.StoreResult(Result(id, {Map({{QStringLiteral("devicename"), QStringLiteral("x")},
                                             {QStringLiteral("essid"), QStringLiteral("x")}})}));
    }
    QCOMPARE(manager.GetDevice().devicename, kKeep);
    QCOMPARE(manager.GetAccessPoints().size(), 1);
}

KESTAVON_TEST_MAIN(TestStoreResult)
#include "tst_storeresult.moc"
