#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include "adaptersource.h"
#include "commandcatalogue.h"
#include "devicediscover.h"
#include "isolatednetwork.h"
#include "messagelog.h"
#include "setupmanager.h"
#include "simnetwork.h"

namespace {

const QString kDen = QStringLiteral("127.0.0.2");
const QString kKitchen = QStringLiteral("127.0.0.3");
const QString kHall = QStringLiteral("127.0.0.4"); // a model shown by its web page
const QString kAway = QStringLiteral("127.0.0.9"); // reset and rebooted by the tests
const QString kNobody = QStringLiteral("127.0.0.30");

// Players answer within milliseconds here; a tenth of each wait keeps the
// polling order while the suite stays quick.
void ShortWait(int milliseconds)
{
    QThread::msleep(static_cast<unsigned long>(milliseconds / 10));
}

CSimFault Fault(CSimFault::EKind kind, const QString &operation = {},
                const std::optional<QString> &text = {})
{
    CSimFault fault;
    fault.m_kind = kind;
    fault.m_strOperation = operation;
    fault.m_text = text;
    return fault;
}

// Every field of a device record, in declaration order.
QStringList Fields(const CDevice &d)
{
    return {d.devicename,
            d.ip,
            QString::number(d.wifionoff),
            d.lanip,
            d.wifiip,
            d.lanmac,
            d.wifimac,
            d.firmversion,
            d.serialnumber,
            d.setupmode,
            d.lanIpaddress,
            d.lanSubnetmask,
            d.lanDefaultgateway,
            d.lanPrimarydns,
            d.lanSeconddns,
            d.wifiIpaddress,
            d.wifiSubnetmask,
            d.wifiDefaultgateway,
            d.wifiPrimarydns,
            d.wifiSeconddns};
}

class CNoAdapters : public CAdapterSource
{
public:
    QList<Record> Interfaces() const override { return {}; }
};

// One adapter, "lab0", with two addresses.
class CTwoAddresses : public CAdapterSource
{
public:
    QList<Record> Interfaces() const override
    {
        Record record;
        record.m_strName = QStringLiteral("lab0");
        record.m_ipv4 = {{QStringLiteral("127.0.5.1"), QStringLiteral("255.255.255.0")},
                         {QStringLiteral("127.0.6.1"), QStringLiteral("255.255.255.0")}};
        return {record};
    }
};

} // namespace

class TestSetupManager : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void refreshListsThePlayersThatAnswer();
    void refreshWithNobodyAnsweringFails();
    void withoutAdaptersNothingRunsAndNothingCrashes();
    void eachAddressOfAnAdapterCanBeChosen_data();
    void eachAddressOfAnAdapterCanBeChosen();
    void repeatedAnnouncementsKeepTheFirstEntry();
    void onlyDottedAddressesAreListed_data();
    void onlyDottedAddressesAreListed();
    void playersBeyondTheSlotsAreIgnored();
    void updateDeviceNameChecksTheIndex();
    void selectingAConfiguredModelFetchesItsData();
    void selectingAnotherModelShowsTheWebPage();
    void selectingAnUnknownAddressChangesNothing();
    void aSelectionKeepsNothingOfThePlayerBefore_data();
    void aSelectionKeepsNothingOfThePlayerBefore();
    void setOperationsChangeThePlayer();
    void queriesFillTheDeviceRecord();
    void playerFailuresAreReportedWithTheirText_data();
    void playerFailuresAreReportedWithTheirText();
    void fetchReportsEveryFailureTogether();
    void errorTextShowsTheFirstTwoApart_data();
    void errorTextShowsTheFirstTwoApart();
    void aNewActionStartsWithoutOldErrors();
    void anUnreachedPlayerIsNamed_data();
    void anUnreachedPlayerIsNamed();
    void resetAndRebootSendTheirCommands();
    void firmwareUpdateNamesOnlyADottedAddress_data();
    void firmwareUpdateNamesOnlyADottedAddress();

private:
    CSetupManager *Manager() { return m_manager.get(); }
    bool AddPlayer(const QString &model, const QString &name, const QString &ip);

    CSimNetwork m_network;
    std::unique_ptr<CSetupManager> m_manager;
    CMessageLog m_log;
};

void TestSetupManager::initTestCase()
{
    CSimPlayerConfig den = CSimPlayerConfig::ForAddress(kDen);
    den.m_strName = den.m_state.m_strDeviceName = QStringLiteral("Den");
    CSimPlayerConfig hall = CSimPlayerConfig::ForAddress(kHall);
    hall.m_strModel = QStringLiteral("KS-100");
    QString error;
    QVERIFY2(m_network.Start({den, CSimPlayerConfig::ForAddress(kKitchen), hall,
                              CSimPlayerConfig::ForAddress(kAway)},
                             &error),
             qPrintable(error));
    m_network.SetUnreachableTime(300);
}

void TestSetupManager::init()
{
    for (const QString &ip : m_network.Addresses()) {
        m_network.ClearFaults(ip);
        QVERIFY(m_network.WaitUntilReachable(ip, 5000));
    }
    m_manager = std::make_unique<CSetupManager>();
    m_manager->SetMainWindow(&m_log);
    m_manager->SetWaitFunction(ShortWait);
    // Messages a previous test left queued must not count here.
    QCoreApplication::processEvents();
    m_log.entries.clear();
}

bool TestSetupManager::AddPlayer(const QString &model, const QString &name, const QString &ip)
{
    return Manager()->AddDevice(model, name, ip, QStringLiteral("uuid:") + ip);
}

void TestSetupManager::refreshListsThePlayersThatAnswer()
{
    QCOMPARE(Manager()->StartDiscovery(), 1);
    QVERIFY(Manager()->GetAdapterDescriptions().contains(QStringLiteral("lo")));
    QCOMPARE(Manager()->GetAdapterDescription(), Manager()->GetAdapterDescriptions().first());
    // Inside the test namespace loopback is the only adapter.
    QCOMPARE(Manager()->GetLocalIp(), QStringLiteral("127.0.0.1"));
    QVERIFY(Manager()->GetDiscover()->IsListening());

    QCOMPARE(Manager()->RefreshDevices(), 1);
    QTRY_COMPARE(Manager()->GetDevices().size(), 4);
    const QList<CDeviceSummary> devices = Manager()->GetDevices();
    QStringList addresses;
    for (int i = 0; i < devices.size(); ++i) {
        QCOMPARE(Manager()->GetDeviceIp(i), devices.at(i).ip);
        addresses.append(devices.at(i).ip);
    }
    QVERIFY(Manager()->GetDeviceIp(4).isEmpty());
    addresses.sort();
    QCOMPARE(addresses, (QStringList{kDen, kKitchen, kHall, kAway}));
    for (const CDeviceSummary &device : devices) {
        if (device.ip == kDen) {
            QCOMPARE(device.name, QStringLiteral("Den"));
            QCOMPARE(device.modelClass, 2);
        }
        if (device.ip == kHall)
            QCOMPARE(device.modelClass, 0);
    }
    // Every announcement tells the main window, after the refresh returned.
    QTRY_VERIFY(m_log.Count(WM_DEVICE_LIST_CHANGED) >= 4);

    // A second refresh starts from an empty list and finds them again.
    QCOMPARE(Manager()->RefreshDevices(), 1);
    QTRY_COMPARE(Manager()->GetDevices().size(), 4);
    Manager()->StopDiscovery();
    QVERIFY(Manager()->GetDevices().isEmpty());
    QVERIFY(Manager()->GetAdapterDescriptions().isEmpty());
    QVERIFY(!Manager()->GetDiscover());
}

void TestSetupManager::refreshWithNobodyAnsweringFails()
{
    QCOMPARE(Manager()->StartDiscovery(), 1);
    // No adapter has this description: its address is empty and nothing is swept.
    QCOMPARE(Manager()->SelectAdapter(QStringLiteral("LO")), 1);
    QVERIFY(Manager()->GetLocalIp().isEmpty());
    QCOMPARE(Manager()->RefreshDevices(), 0);
    QVERIFY(Manager()->GetDevices().isEmpty());
}

void TestSetupManager::withoutAdaptersNothingRunsAndNothingCrashes()
{
    Manager()->SetNetworkChecker(
        CNetworkChecker(std::make_unique<CNoAdapters>(), [] { return QList<QHostAddress>{}; }));
    QCOMPARE(Manager()->StartDiscovery(), 0);
    QVERIFY(!Manager()->GetDiscover());
    QCOMPARE(Manager()->RefreshDevices(), 0);
    QCOMPARE(Manager()->SelectAdapter(QStringLiteral("eth0")), 1);
    Manager()->StopDiscovery();
    QVERIFY(m_log.entries.isEmpty());
}

void TestSetupManager::eachAddressOfAnAdapterCanBeChosen_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("address");
    QTest::newRow("first line") << QStringLiteral("lab0 \u2014 127.0.5.1/24")
                                << QStringLiteral("127.0.5.1");
    QTest::newRow("second line") << QStringLiteral("lab0 \u2014 127.0.6.1/24")
                                 << QStringLiteral("127.0.6.1");
    // What the CLI's --adapter named before: the adapter's last address.
    QTest::newRow("the adapter") << QStringLiteral("lab0") << QStringLiteral("127.0.6.1");
    QTest::newRow("none") << QStringLiteral("lab1") << QString();
}

void TestSetupManager::eachAddressOfAnAdapterCanBeChosen()
{
    QFETCH(QString, description);
    QFETCH(QString, address);
    Manager()->SetNetworkChecker(
        CNetworkChecker(std::make_unique<CTwoAddresses>(), [] { return QList<QHostAddress>{}; }));
    QCOMPARE(Manager()->StartDiscovery(), 1);
    QCOMPARE(Manager()->GetAdapterDescriptions(),
             (QStringList{QStringLiteral("lab0 \u2014 127.0.5.1/24"),
                          QStringLiteral("lab0 \u2014 127.0.6.1/24")}));
    // At first, what was swept before each address had a line.
    QCOMPARE(Manager()->GetAdapterDescription(), QStringLiteral("lab0 \u2014 127.0.6.1/24"));
    QCOMPARE(Manager()->GetLocalIp(), QStringLiteral("127.0.6.1"));
    QCOMPARE(Manager()->ChooseAdapter(description), !address.isEmpty());
    QCOMPARE(Manager()->GetLocalIp(), address.isEmpty() ? QStringLiteral("127.0.6.1") : address);
    Manager()->StopDiscovery();
}

void TestSetupManager::repeatedAnnouncementsKeepTheFirstEntry()
{
    // Only a player actually added may change the list the user sees.
    QVERIFY(AddPlayer(QStringLiteral("KS-210"), QStringLiteral("First"), kDen));
    QVERIFY(!AddPlayer(QStringLiteral("KS-210"), QStringLiteral("Second"), kDen));
    QVERIFY(AddPlayer(QStringLiteral("KS-210"), QStringLiteral("Other"), kKitchen));
    const QList<CDeviceSummary> devices = Manager()->GetDevices();
    QCOMPARE(devices.size(), 2);
    QCOMPARE(devices.at(0).name, QStringLiteral("First"));
    QCOMPARE(Manager()->GetDeviceIp(0), kDen);
    QCOMPARE(Manager()->GetDeviceIp(1), kKitchen);
}

void TestSetupManager::onlyDottedAddressesAreListed_data()
{
    QTest::addColumn<QString>("ip");
    QTest::newRow("empty") << QString();
    QTest::newRow("host name") << QStringLiteral("kitchen.local");
    QTest::newRow("port and path") << QStringLiteral("127.0.0.5:99/x");
    QTest::newRow("octet above 255") << QStringLiteral("300.1.1.1");
    QTest::newRow("space after") << QStringLiteral("127.0.0.5 ");
}

void TestSetupManager::onlyDottedAddressesAreListed()
{
    QFETCH(QString, ip);
    // A bad announcement between two good ones, then many more of it: the
    // list line a user clicks must still name the player that gets the
    // command, and the list must not grow.
    AddPlayer(QStringLiteral("KS-210"), QStringLiteral("Den"), kDen);
    for (int i = 0; i < 10; ++i)
        QVERIFY(!AddPlayer(QStringLiteral("KS-210"), QStringLiteral("Ghost"), ip));
    AddPlayer(QStringLiteral("KS-210"), QStringLiteral("Kitchen"), kKitchen);

    const QList<CDeviceSummary> devices = Manager()->GetDevices();
    QCOMPARE(devices.size(), 2);
    for (qsizetype i = 0; i < devices.size(); ++i)
        QCOMPARE(Manager()->GetDeviceIp(static_cast<int>(i)), devices.at(i).ip);
    QCOMPARE(devices.at(1).name, QStringLiteral("Kitchen"));
    QCOMPARE(Manager()->GetDeviceIp(1), kKitchen);
    QVERIFY(Manager()->GetDeviceIp(2).isEmpty());
}

void TestSetupManager::playersBeyondTheSlotsAreIgnored()
{
    for (int i = 0; i <= CSetupManager::MAX_DEVICES; ++i)
        QCOMPARE(AddPlayer(QStringLiteral("KS-210"), QString::number(i),
                           QStringLiteral("10.0.%1.%2").arg(i / 250).arg(i % 250)),
                 i < CSetupManager::MAX_DEVICES);
    const QList<CDeviceSummary> devices = Manager()->GetDevices();
    QCOMPARE(devices.size(), CSetupManager::MAX_DEVICES);
    QCOMPARE(devices.last().name, QString::number(CSetupManager::MAX_DEVICES - 1));
    QCOMPARE(Manager()->GetDeviceIp(CSetupManager::MAX_DEVICES - 1), devices.last().ip);
    QVERIFY(Manager()->GetDeviceIp(CSetupManager::MAX_DEVICES).isEmpty());
    // Those turned away are counted once each, and forgotten with the list.
    QCOMPARE(Manager()->GetTurnedAwayCount(), 1);
    QVERIFY(
        !AddPlayer(QStringLiteral("KS-210"), QStringLiteral("again"), QStringLiteral("10.0.1.10")));
    QVERIFY(!AddPlayer(QStringLiteral("KS-210"), QStringLiteral("another"),
                       QStringLiteral("10.0.9.9")));
    QCOMPARE(Manager()->GetTurnedAwayCount(), 2);
    Manager()->ClearDevices();
    QCOMPARE(Manager()->GetTurnedAwayCount(), 0);
}

void TestSetupManager::updateDeviceNameChecksTheIndex()
{
    AddPlayer(QStringLiteral("KS-210"), QStringLiteral("Den"), kDen);
    Manager()->UpdateDeviceName(-1, QStringLiteral("x"));
    Manager()->UpdateDeviceName(1, QStringLiteral("x"));
    QCOMPARE(Manager()->GetDevices().first().name, QStringLiteral("Den"));
    Manager()->UpdateDeviceName(0, QStringLiteral("Study"));
    QCOMPARE(Manager()->GetDevices().first().name, QStringLiteral("Study"));
}

void TestSetupManager::selectingAConfiguredModelFetchesItsData()
{
    AddPlayer(QStringLiteral("KS-210"), QStringLiteral("Den"), kDen);
    CSimPlayerState state = m_network.State(kDen);
    state.m_wifiOn = false;
    m_network.SetState(kDen, state);

    QCOMPARE(Manager()->SelectDevice(QStringLiteral("Den"), kDen), 1);
    const CDevice &device = Manager()->GetDevice();
    QCOMPARE(device.ip, kDen);
    QCOMPARE(device.devicename, QStringLiteral("Den"));
    QCOMPARE(device.wifionoff, 0);
    QCOMPARE(device.lanip, state.m_strLanIp);
    QCOMPARE(device.wifiip, state.m_strWifiIp);
    QCOMPARE(device.lanmac, state.m_strLanMac);
    QCOMPARE(device.wifimac, state.m_strWifiMac);
    QCOMPARE(device.firmversion, state.m_strFirmVersion);
    QCOMPARE(device.serialnumber, state.m_strSerialNumber);
    QCOMPARE(Manager()->GetSelectedDeviceIp(), kDen);
    QCOMPARE(Manager()->GetSelectedName(), QStringLiteral("Den"));
    QCoreApplication::processEvents();
    QCOMPARE(m_log.entries, (QList<CMessageLog::Entry>{{WM_SHOW_DEVICE_PAGE, 1}}));
}

void TestSetupManager::selectingAnotherModelShowsTheWebPage()
{
    AddPlayer(QStringLiteral("KS-210"), QStringLiteral("Den"), kDen);
    AddPlayer(QStringLiteral("KS-100"), QStringLiteral("Hall"), kHall);
    QCOMPARE(Manager()->SelectDevice(QStringLiteral("Den"), kDen), 1);
    const int requestsBefore = m_network.ReceivedRequests(kHall).size();

    QCOMPARE(Manager()->SelectDevice(QStringLiteral("Hall"), kHall), 1);
    QCOMPARE(Manager()->GetDevice().ip, kHall);
    // Nothing is fetched, and nothing of the player before is kept.
    QVERIFY(Manager()->GetDevice().devicename.isEmpty());
    QVERIFY(Manager()->GetDevice().lanmac.isEmpty());
    QCOMPARE(m_network.ReceivedRequests(kHall).size(), requestsBefore);
    QCoreApplication::processEvents();
    QCOMPARE(m_log.entries.last(), (CMessageLog::Entry{WM_SHOW_DEVICE_PAGE, 0}));
}

void TestSetupManager::selectingAnUnknownAddressChangesNothing()
{
    AddPlayer(QStringLiteral("KS-210"), QStringLiteral("Den"), kDen);
    QCOMPARE(Manager()->SelectDevice(QStringLiteral("Gone"), kKitchen), 1);
    QVERIFY(Manager()->GetDevice().ip.isEmpty());
    QCOMPARE(Manager()->GetSelectedDeviceIp(), kKitchen);
    QCOMPARE(Manager()->GetSelectedName(), QStringLiteral("Gone"));
    QCoreApplication::processEvents();
    QVERIFY(m_log.entries.isEmpty());
    QVERIFY(m_network.ReceivedRequests(kKitchen).isEmpty());
}

void TestSetupManager::aSelectionKeepsNothingOfThePlayerBefore_data()
{
    QTest::addColumn<QString>("ip");
    QTest::addColumn<bool>("someFields");
    QTest::addColumn<QList<CReadFailure>>("failures");
    const QString refused = QStringLiteral("error: socket connection failed");
    QTest::newRow("every read refused") << kNobody << false
                                        << QList<CReadFailure>{{CMD_GET_DEVICE_NAME, refused},
                                                               {CMD_GET_WIFI_ON_OFF, refused},
                                                               {CMD_GET_DEVICE_INFO, refused}};
    QTest::newRow("some fields answered")
        << kKitchen << true
        << QList<CReadFailure>{{CMD_GET_WIFI_ON_OFF, QStringLiteral("error: Invalid Packet")}};
}

void TestSetupManager::aSelectionKeepsNothingOfThePlayerBefore()
{
    QFETCH(QString, ip);
    QFETCH(bool, someFields);
    QFETCH(QList<CReadFailure>, failures);
    // The first player has a value in every field the second one could leave alone.
    AddPlayer(QStringLiteral("KS-210"), QStringLiteral("Den"), kDen);
    AddPlayer(QStringLiteral("KS-210"), QStringLiteral("Second"), ip);
    CSimPlayerState den = m_network.State(kDen);
    den.m_wifiOn = true;
    m_network.SetState(kDen, den);
    QCOMPARE(Manager()->SelectDevice(QStringLiteral("Den"), kDen), 1);
    QCOMPARE(Manager()->GetLanSetup(), 1);
    QCOMPARE(Manager()->GetWifiSetup(), 1);
    QCOMPARE(Manager()->GetApList(), 1);
    QVERIFY(!Manager()->GetAccessPoints().isEmpty());
    QCOMPARE(Manager()->GetDevice().wifionoff, 1);
    QVERIFY(Manager()->GetReadFailures().isEmpty());

    // The second answers its name, no Wi-Fi state, and one field of its information.
    const QString lanIp = QStringLiteral("127.0.0.77");
    m_network.SetFault(kKitchen,
                       Fault(CSimFault::EKind::CloseWithoutReply, QStringLiteral("getWifiOnOff")));
    m_network.SetFault(kKitchen,
                       Fault(CSimFault::EKind::MalformedXml, QStringLiteral("getDeviceInfo"),
                             QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Tavrion "
                                            "operation=\"getDeviceInfo\" errcode=\"1\"><lanip>%1"
                                            "</lanip></Tavrion>")
                                 .arg(lanIp)));
    const qsizetype denRequests = m_network.ReceivedRequests(kDen).size();
    QCOMPARE(Manager()->SelectDevice(QStringLiteral("Second"), ip), 0);

    CDevice expected;
    expected.ip = ip;
    if (someFields) {
        expected.devicename = m_network.State(kKitchen).m_strDeviceName;
        expected.lanip = lanIp;
    }
    QCOMPARE(Fields(Manager()->GetDevice()), Fields(expected));
    QVERIFY(Manager()->GetAccessPoints().isEmpty());
    QCOMPARE(Manager()->GetReadFailures(), failures);

    // What the user does next goes to the second player, never to the first.
    Manager()->SetDeviceName(QStringLiteral("Renamed"));
    Manager()->SetWifiOnOff(0);
    QCOMPARE(m_network.ReceivedRequests(kDen).size(), denRequests);
    if (someFields) {
        QCOMPARE(m_network.State(kKitchen).m_strDeviceName, QStringLiteral("Renamed"));
        QVERIFY(!m_network.State(kKitchen).m_wifiOn);
    }
}

void TestSetupManager::setOperationsChangeThePlayer()
{
    Manager()->TargetDevice(kKitchen);
    CSetupManager &m = *Manager();

    QCOMPARE(m.SetDeviceName(QStringLiteral("Caf\u00e9 <Bar> & Grill")), 1);
    QCOMPARE(m_network.State(kKitchen).m_strDeviceName, QStringLiteral("Caf\u00e9 <Bar> & Grill"));

    QCOMPARE(m.SetWifiOnOff(0), 1);
    QVERIFY(!m_network.State(kKitchen).m_wifiOn);
    QCOMPARE(m.SetWifiOnOff(5), 1);
    QVERIFY(m_network.State(kKitchen).m_wifiOn);
    QVERIFY(m_network.ReceivedRequests(kKitchen).last().endsWith(
        "<wifionoff>ON</wifionoff></Tavrion>"));

    QCOMPARE(m.ConnectAp(QStringLiteral("Neighbour"), QStringLiteral("pw"), QStringLiteral("WEP")),
             1);
    CSimPlayerState state = m_network.State(kKitchen);
    QCOMPARE(state.m_accessPoints.at(1).m_strEssid, QStringLiteral("Neighbour"));
    QVERIFY(state.m_accessPoints.at(1).m_connected);
    QVERIFY(state.m_accessPoints.at(1).m_saved);
    QVERIFY(!state.m_accessPoints.at(0).m_connected);

    QCOMPARE(m.DeleteProfile(QStringLiteral("Neighbour")), 1);
    QVERIFY(!m_network.State(kKitchen).m_accessPoints.at(1).m_saved);

    const QStringList lan = {QStringLiteral("STATIC"),        QStringLiteral("192.0.2.10"),
                             QStringLiteral("255.255.255.0"), QStringLiteral("192.0.2.1"),
                             QStringLiteral("192.0.2.53"),    QString()};
    QCOMPARE(m.SetLanSetup(lan[0], lan[1], lan[2], lan[3], lan[4], lan[5]), 1);
    QCOMPARE(m.SetWifiSetup(QStringLiteral("DHCP"), {}, {}, {}, {}, {}), 1);
    state = m_network.State(kKitchen);
    QCOMPARE(state.m_lanSetup.m_strSetupMode, lan[0]);
    QCOMPARE(state.m_lanSetup.m_strIpAddress, lan[1]);
    QCOMPARE(state.m_lanSetup.m_strSubnetMask, lan[2]);
    QCOMPARE(state.m_lanSetup.m_strDefaultGateway, lan[3]);
    QCOMPARE(state.m_lanSetup.m_strPrimaryDns, lan[4]);
    QCOMPARE(state.m_lanSetup.m_strSecondDns, lan[5]);
    QCOMPARE(state.m_wifiSetup.m_strSetupMode, QStringLiteral("DHCP"));
    // A set leaves the stored set-up alone until it is fetched again.
    QVERIFY(m.GetDevice().lanIpaddress.isEmpty());
    QVERIFY(m.GetErrorRecords().isEmpty());
}

void TestSetupManager::queriesFillTheDeviceRecord()
{
    Manager()->TargetDevice(kKitchen);
    CSetupManager &m = *Manager();
    const CSimPlayerState state = m_network.State(kKitchen);

    QCOMPARE(m.GetApList(), 1);
    QCOMPARE(m.GetAccessPoints().size(), state.m_accessPoints.size());
    for (qsizetype i = 0; i < state.m_accessPoints.size(); ++i) {
        const CSimAccessPoint &expected = state.m_accessPoints.at(i);
        const CAccessPoint &actual = m.GetAccessPoints().at(i);
        QCOMPARE(actual.essid, expected.m_strEssid);
        QCOMPARE(actual.encryptionkey, expected.m_strEncryptionKey);
        QCOMPARE(actual.quality, expected.m_strQuality);
        QCOMPARE(actual.connected,
                 expected.m_connected ? QStringLiteral("1") : QStringLiteral("0"));
        QCOMPARE(actual.saved, expected.m_saved ? QStringLiteral("1") : QStringLiteral("0"));
    }

    QCOMPARE(m.GetLanSetup(), 1);
    QCOMPARE(m.GetDevice().lanIpaddress, state.m_lanSetup.m_strIpAddress);
    QCOMPARE(m.GetDevice().lanSubnetmask, state.m_lanSetup.m_strSubnetMask);
    QCOMPARE(m.GetWifiSetup(), 1);
    QCOMPARE(m.GetDevice().wifiIpaddress, state.m_wifiSetup.m_strIpAddress);
    QCOMPARE(m.GetDevice().setupmode, state.m_wifiSetup.m_strSetupMode);
}

void TestSetupManager::playerFailuresAreReportedWithTheirText_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::newRow("errcode 0") << int(CSimFault::EKind::Errcode)
                               << QStringLiteral(
                                      "tavrion setup error : command=setDeviceName, errcode =0");
    QTest::newRow("no errcode") << int(CSimFault::EKind::NoErrcode) << QString();
    QTest::newRow("closed without reply")
        << int(CSimFault::EKind::CloseWithoutReply) << QStringLiteral("error: Invalid Packet");
    QTest::newRow("split end tag") << int(CSimFault::EKind::SplitEndTag) << QStringLiteral("ok");
    QTest::newRow("text before the document")
        << int(CSimFault::EKind::PrefixText) << QStringLiteral("ok");
    QTest::newRow("malformed") << int(CSimFault::EKind::MalformedXml)
                               << QStringLiteral("error: xml parsing failed");
    QTest::newRow("wrong root") << int(CSimFault::EKind::WrongRoot)
                                << QStringLiteral("error: Invalid Packet");
    QTest::newRow("ended by deviceInfo")
        << int(CSimFault::EKind::DeviceInfoEndTag) << QStringLiteral("error: xml parsing failed");
    QTest::newRow("oversized") << int(CSimFault::EKind::Oversized)
                               << QStringLiteral("error: reply too large");
    QTest::newRow("refused") << int(CSimFault::EKind::Refuse)
                             << QStringLiteral("error: socket connection failed");
}

void TestSetupManager::playerFailuresAreReportedWithTheirText()
{
    QFETCH(int, kind);
    QFETCH(QString, text);
    m_network.SetFault(kKitchen,
                       Fault(static_cast<CSimFault::EKind>(kind), QStringLiteral("setDeviceName")));
    Manager()->TargetDevice(kKitchen);
    const int result = Manager()->SetDeviceName(QStringLiteral("Renamed"));
    if (text == QLatin1String("ok")) {
        QCOMPARE(result, 1);
        QVERIFY(Manager()->GetErrorRecords().isEmpty());
        return;
    }
    QCOMPARE(result, 0);
    QCOMPARE(Manager()->GetErrorRecords().size(), 1);
    QCOMPARE(Manager()->GetCommandErrorText(), text);
}

void TestSetupManager::fetchReportsEveryFailureTogether()
{
    AddPlayer(QStringLiteral("KS-210"), QStringLiteral("Nobody"), kNobody);
    QCOMPARE(Manager()->SelectDevice(QStringLiteral("Nobody"), kNobody), 0);
    // Three attempts, three records; the text shows the first two.
    QCOMPARE(Manager()->GetErrorRecords().size(), 3);
    const QString failed = QStringLiteral("error: socket connection failed");
    QCOMPARE(Manager()->GetCommandErrorText(), failed);
    QCoreApplication::processEvents();
    QCOMPARE(m_log.entries, (QList<CMessageLog::Entry>{{WM_SHOW_DEVICE_PAGE, 1}}));

    // One failure among three.
    m_network.SetFault(kKitchen,
                       Fault(CSimFault::EKind::CloseWithoutReply, QStringLiteral("getWifiOnOff")));
    AddPlayer(QStringLiteral("KS-210"), QStringLiteral("Kitchen"), kKitchen);
    QCOMPARE(Manager()->SelectDevice(QStringLiteral("Kitchen"), kKitchen), 0);
    QCOMPARE(Manager()->GetErrorRecords().size(), 1);
    QCOMPARE(Manager()->GetCommandErrorText(), QStringLiteral("error: Invalid Packet"));
    QCOMPARE(Manager()->GetDevice().devicename, m_network.State(kKitchen).m_strDeviceName);
}

void TestSetupManager::errorTextShowsTheFirstTwoApart_data()
{
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<QString>("text");
    const QString large = QStringLiteral("error: reply too large");
    const QString refused = QStringLiteral("error: socket connection failed");
    QTest::newRow("none") << QStringList{} << QString();
    QTest::newRow("one") << QStringList{large} << large;
    // Glued together, two texts read as one garbled one.
    QTest::newRow("two different ones on two lines")
        << QStringList{large, refused} << large + QLatin1Char('\n') + refused;
    QTest::newRow("the same text twice is shown once") << QStringList{large, large} << large;
    QTest::newRow("a record without text adds nothing") << QStringList{QString(), large} << large;
    QTest::newRow("only the first two count") << QStringList{large, large, refused} << large;
}

void TestSetupManager::errorTextShowsTheFirstTwoApart()
{
    QFETCH(QStringList, records);
    QFETCH(QString, text);
    for (const QString &record : records)
        Manager()->AddCommandError({record.isEmpty() ? 0 : 1, record});
    QCOMPARE(Manager()->GetCommandErrorText(), text);
}

void TestSetupManager::aNewActionStartsWithoutOldErrors()
{
    QVERIFY(Manager()->GetCommandErrorText().isEmpty());
    Manager()->TargetDevice(kNobody);
    QCOMPARE(Manager()->SetWifiOnOff(1), 0);
    QCOMPARE(Manager()->GetCommandErrorText(), QStringLiteral("error: socket connection failed"));
    Manager()->TargetDevice(kKitchen);
    m_network.SetFault(kKitchen, Fault(CSimFault::EKind::Errcode, {}, QStringLiteral("7")));
    QCOMPARE(Manager()->GetApList(), 1); // data replies ignore errcode
    QVERIFY(Manager()->GetCommandErrorText().isEmpty());
    QCOMPARE(Manager()->ResetRender(), 0);
    QCOMPARE(Manager()->GetCommandErrorText(),
             QStringLiteral("tavrion setup error : command=resetRender, errcode =7"));
}

void TestSetupManager::anUnreachedPlayerIsNamed_data()
{
    QTest::addColumn<QString>("listName");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<bool>("reboot"); // else a rename the player answers with an error
    QTest::addColumn<QString>("unreached");
    QTest::addColumn<QString>("cause");
    const QString refused = QStringLiteral("error: socket connection failed");
    QTest::newRow("chosen from the list")
        << QStringLiteral("Nobody") << kNobody << true
        << QStringLiteral("The player \"Nobody\" at 127.0.0.30 could not be reached.") << refused;
    QTest::newRow("aimed at by address")
        << QString() << kNobody << true
        << QStringLiteral("The player at 127.0.0.30 could not be reached.") << refused;
    QTest::newRow("no address") << QString() << QString() << true
                                << QStringLiteral("No player is chosen: nothing was sent.")
                                << refused;
    QTest::newRow("reached, the player refused")
        << QString() << kKitchen << false << QString()
        << QStringLiteral("tavrion setup error : command=setDeviceName, errcode =0");
}

// A text such as "connection failed" alone does not say which player failed;
// the reboot, sent without waiting for an answer, fails only this way.
void TestSetupManager::anUnreachedPlayerIsNamed()
{
    QFETCH(QString, listName);
    QFETCH(QString, ip);
    QFETCH(bool, reboot);
    QFETCH(QString, unreached);
    QFETCH(QString, cause);
    if (listName.isEmpty()) {
        Manager()->TargetDevice(ip);
    } else {
        AddPlayer(QStringLiteral("KS-100"), listName, ip);
        QCOMPARE(Manager()->SelectDevice(listName, ip), 1);
    }
    if (reboot) {
        QCOMPARE(Manager()->RebootDevice(), 0);
    } else {
        m_network.SetFault(ip, Fault(CSimFault::EKind::Errcode, QStringLiteral("setDeviceName")));
        QCOMPARE(Manager()->SetDeviceName(QStringLiteral("Kitchen")), 0);
    }
    QCOMPARE(Manager()->GetUnreachedText(), unreached);
    QCOMPARE(Manager()->GetCommandErrorText(), cause);
    // The next action starts without it.
    Manager()->TargetDevice(kKitchen);
    m_network.ClearFaults(kKitchen);
    QCOMPARE(Manager()->GetApList(), 1);
    QVERIFY(Manager()->GetUnreachedText().isEmpty());
}

void TestSetupManager::resetAndRebootSendTheirCommands()
{
    Manager()->TargetDevice(kAway);
    Manager()->ChooseLocalIp(QStringLiteral("127.0.0.1"));
    QCOMPARE(Manager()->ResetRender(), 1);
    QTRY_VERIFY(!m_network.IsReachable(kAway));
    QVERIFY(m_network.WaitUntilReachable(kAway, 5000));

    QCOMPARE(Manager()->RebootDevice(), 1);
    QTRY_VERIFY(!m_network.IsReachable(kAway));
    QVERIFY(m_network.WaitUntilReachable(kAway, 5000));

    // The player answers nothing to a firmware update; the request is all
    // that counts.
    m_network.SetFault(kAway, Fault(CSimFault::EKind::NoAnswer));
    QCOMPARE(Manager()->UpdateFirmware(), 1);
    QVERIFY(m_network.WaitForRequests(kAway, 3, 5000));
    QVERIFY(m_network.ReceivedRequests(kAway).last().endsWith(
        "<downloadip>127.0.0.1</downloadip></Tavrion>"));
}

void TestSetupManager::firmwareUpdateNamesOnlyADottedAddress_data()
{
    QTest::addColumn<QString>("downloadIp");
    QTest::newRow("host name") << QStringLiteral("localhost");
    QTest::newRow("short form") << QStringLiteral("127.1");
    QTest::newRow("empty") << QString();
}

// A player told to fetch from a name would have to look it up itself; the
// download address is refused before anything is sent.
void TestSetupManager::firmwareUpdateNamesOnlyADottedAddress()
{
    QFETCH(QString, downloadIp);
    Manager()->TargetDevice(kKitchen);
    Manager()->ChooseLocalIp(downloadIp);
    const qsizetype before = m_network.ReceivedRequests(kKitchen).size();
    QCOMPARE(Manager()->UpdateFirmware(), 0);
    QCOMPARE(Manager()->GetCommandErrorText(), QStringLiteral("error: socket connection failed"));
    QCOMPARE(m_network.ReceivedRequests(kKitchen).size(), before);
}

KESTAVON_TEST_MAIN(TestSetupManager)
#include "tst_setupmanager.moc"
