#include <QTest>

#include "isolatednetwork.h"
#include "simnetwork.h"
#include "simtestclient.h"

using namespace Qt::StringLiterals;
using SimTestClient::Command;
using SimTestClient::Reply;

namespace {

const QString kPlayer = u"127.0.0.2"_s;

// Kestavon Home: connected and saved; Neighbour: neither; Office: saved, with a password.
CSimPlayerConfig Player()
{
    CSimPlayerConfig config = CSimPlayerConfig::ForAddress(kPlayer);
    config.m_strName = u"Living Room"_s;
    CSimAccessPoint office;
    office.m_strEssid = u"Office"_s;
    office.m_strEncryptionKey = u"WPA2"_s;
    office.m_strQuality = u"51"_s;
    office.m_saved = true;
    office.m_strPassword = u"office-secret"_s;
    config.m_state.m_accessPoints.append(office);
    return config;
}

const QByteArray kHomeAp = "<ap><essid>Kestavon Home</essid><encryptionkey>WPA2</encryptionkey>"
                           "<quality>80</quality><connected>%1</connected><saved>1</saved></ap>";
const QByteArray kNeighbourAp =
    "<ap><essid>Neighbour</essid><encryptionkey>WEP</encryptionkey>"
    "<quality>35</quality><connected>0</connected><saved>0</saved></ap>";
const QByteArray kOfficeAp = "<ap><essid>Office</essid><encryptionkey>WPA2</encryptionkey>"
                             "<quality>51</quality><connected>%1</connected><saved>%2</saved></ap>";

QByteArray ApList(bool homeConnected, bool officeConnected, bool officeSaved,
                  const QByteArray &more = {})
{
    QByteArray home = kHomeAp;
    QByteArray office = kOfficeAp;
    home.replace("%1", homeConnected ? "1" : "0");
    office.replace("%1", officeConnected ? "1" : "0").replace("%2", officeSaved ? "1" : "0");
    return "<aplist>" + home + kNeighbourAp + office + more + "</aplist>";
}

const QByteArray kStaticSetup = "<setupmode>STATIC</setupmode><ipaddress>10.1.2.3</ipaddress>"
                                "<subnetmask>255.255.255.0</subnetmask><defaultgateway>10.1.2.1"
                                "</defaultgateway><primarydns>10.1.2.1</primarydns><seconddns>"
                                "</seconddns>";

} // namespace

class TestSimCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void setCommandChangesWhatTheGetCommandReports_data();
    void setCommandChangesWhatTheGetCommandReports();
    void rejectedCommandChangesNothing_data();
    void rejectedCommandChangesNothing();
    void repliesEscapeValuesAndCarryEveryElement();
    void recordsRequestsByteForByte();

private:
    CSimNetwork m_network;
};

void TestSimCommands::init()
{
    QString error;
    QVERIFY2(m_network.Start({Player()}, &error), qPrintable(error));
}

void TestSimCommands::cleanup()
{
    m_network.Stop();
}

void TestSimCommands::setCommandChangesWhatTheGetCommandReports_data()
{
    QTest::addColumn<QString>("setOperation");
    QTest::addColumn<QByteArray>("setBody");
    QTest::addColumn<QString>("getOperation");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("setDeviceName")
        << u"setDeviceName"_s << QByteArray("<devicename>Kitchen &amp; Bar</devicename>")
        << u"getDeviceName"_s << QByteArray("<devicename>Kitchen &amp; Bar</devicename>");
    QTest::newRow("setWifiOnOff") << u"setWifiOnOff"_s << QByteArray("<wifionoff>OFF</wifionoff>")
                                  << u"getWifiOnOff"_s << QByteArray("<wifionoff>OFF</wifionoff>");
    QTest::newRow("setLanSetup") << u"setLanSetup"_s << kStaticSetup << u"getLanSetup"_s
                                 << kStaticSetup;
    QTest::newRow("setWifiSetup") << u"setWifiSetup"_s << kStaticSetup << u"getWifiSetup"_s
                                  << kStaticSetup;
    QTest::newRow("connectAp with the right password")
        << u"connectAp"_s
        << QByteArray("<essid>Office</essid><password>office-secret</password>"
                      "<encryptionkey>WPA2</encryptionkey>")
        << u"getApList"_s << ApList(false, true, true);
    QTest::newRow("connectAp to a saved network without a password uses the kept one")
        << u"connectAp"_s
        << QByteArray("<essid>Office</essid><password></password>"
                      "<encryptionkey>WPA2</encryptionkey>")
        << u"getApList"_s << ApList(false, true, true);
    QTest::newRow("connectAp to an unknown network adds it")
        << u"connectAp"_s
        << QByteArray("<essid>Other &lt;5G&gt;</essid><password>x</password>"
                      "<encryptionkey>WPA</encryptionkey>")
        << u"getApList"_s
        << ApList(false, false, true,
                  "<ap><essid>Other &lt;5G&gt;</essid><encryptionkey>WPA</encryptionkey><quality>0"
                  "</quality><connected>1</connected><saved>1</saved></ap>");
    QTest::newRow("deleteProfile") << u"deleteProfile"_s << QByteArray("<essid>Office</essid>")
                                   << u"getApList"_s << ApList(true, false, false);
    QTest::newRow("addProfile")
        << u"addProfile"_s
        << QByteArray("<profile><name>Lab</name><ssid>Lab Net</ssid><securitymode>WPA2"
                      "</securitymode><signalstrength>70</signalstrength></profile>")
        << u"getProfileList"_s
        << QByteArray("<profilelist><profile><name>Lab</name><ssid>Lab Net</ssid><securitymode>"
                      "WPA2</securitymode><signalstrength>70</signalstrength></profile>"
                      "</profilelist>");
}

void TestSimCommands::setCommandChangesWhatTheGetCommandReports()
{
    QFETCH(QString, setOperation);
    QFETCH(QByteArray, setBody);
    QFETCH(QString, getOperation);
    QFETCH(QByteArray, expected);
    QCOMPARE(Command(kPlayer, setOperation, setBody), Reply(setOperation, {}));
    QCOMPARE(Command(kPlayer, getOperation), Reply(getOperation, expected));
}

void TestSimCommands::rejectedCommandChangesNothing_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    const auto request = [](const char *operation, const QByteArray &body) {
        return SimTestClient::Request(QString::fromLatin1(operation), body);
    };
    QTest::newRow("connectAp with a wrong password")
        << request("connectAp", "<essid>Office</essid><password>guess</password>"
                                "<encryptionkey>WPA2</encryptionkey>")
        << Reply(u"connectAp"_s, {}, "0");
    QTest::newRow("connectAp without a password element")
        << request("connectAp", "<essid>Office</essid><encryptionkey>WPA2</encryptionkey>")
        << Reply(u"connectAp"_s, {}, "0");
    QTest::newRow("deleteProfile of an unknown network")
        << request("deleteProfile", "<essid>Nowhere</essid>") << Reply(u"deleteProfile"_s, {}, "0");
    QTest::newRow("setWifiOnOff with neither ON nor OFF")
        << request("setWifiOnOff", "<wifionoff>on</wifionoff>")
        << Reply(u"setWifiOnOff"_s, {}, "0");
    QTest::newRow("setLanSetup missing an element")
        << request("setLanSetup", "<setupmode>DHCP</setupmode>")
        << Reply(u"setLanSetup"_s, {}, "0");
    QTest::newRow("updateFirmware to a non-loopback address")
        << request("updateFirmware", "<downloadip>192.0.2.1</downloadip>")
        << Reply(u"updateFirmware"_s, {}, "0");
    QTest::newRow("unknown operation")
        << request("getEverything", {}) << Reply(u"getEverything"_s, {}, "0");
    QTest::newRow("malformed XML")
        << request("setDeviceName", "<devicename>x</name>") << Reply({}, {}, "0");
    QTest::newRow("no Content-Length")
        << QByteArray("POST /TavrionAPI HTTP/1.1\r\n\r\n<Tavrion operation=\"getDeviceName\"/>")
        << Reply({}, {}, "0");
}

void TestSimCommands::rejectedCommandChangesNothing()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    const CSimPlayerState before = m_network.State(kPlayer);
    QCOMPARE(SimTestClient::Exchange(kPlayer, 10015, request).All(), reply);
    QCOMPARE(m_network.State(kPlayer), before);
    QVERIFY(m_network.Downloads(kPlayer).isEmpty());
}

void TestSimCommands::repliesEscapeValuesAndCarryEveryElement()
{
    CSimPlayerState state = m_network.State(kPlayer);
    state.m_strDeviceName = u"Tom's \"Den\" <1> & Ñandú"_s;
    state.m_strFirmVersion = u"2.1.4"_s;
    m_network.SetState(kPlayer, state);
    QCOMPARE(Command(kPlayer, u"getDeviceName"_s),
             Reply(u"getDeviceName"_s,
                   u"<devicename>Tom's \"Den\" &lt;1&gt; &amp; Ñandú</devicename>"_s.toUtf8()));
    QCOMPARE(Command(kPlayer, u"getDeviceInfo"_s),
             Reply(u"getDeviceInfo"_s,
                   "<lanip>127.0.0.2</lanip><wifiip>0.0.0.0</wifiip><lanmac>02:4B:53:00:00:02"
                   "</lanmac><wifimac>02:4B:53:01:00:02</wifimac><firmversion>2.1.4</firmversion>"
                   "<serialnumber>KS2100002</serialnumber>"));
    QCOMPARE(Command(kPlayer, u"getConnectedESSID"_s),
             Reply(u"getConnectedESSID"_s, "<essid>Kestavon Home</essid>"));
}

void TestSimCommands::recordsRequestsByteForByte()
{
    // The exact bytes the tool sends for getDeviceName, Content-Length 95.
    const QByteArray exact =
        "POST /TavrionAPI HTTP/1.1\r\nContent-Length: 95\r\nContent-Type: text/plain; "
        "charset=UTF-8\r\nHost: 127.0.0.1:10015\r\nConnection: Keep-Alive\r\n\r\n<?xml "
        "version=\"1.0\" encoding=\"UTF-8\"?><Tavrion api=\"1.0.1\" "
        "operation=\"getDeviceName\"></Tavrion>";
    const QByteArray named =
        SimTestClient::Request(u"setDeviceName"_s, u"<devicename>Küche</devicename>"_s.toUtf8());
    QCOMPARE(SimTestClient::Exchange(kPlayer, 10015, exact).All(),
             Reply(u"getDeviceName"_s, "<devicename>Living Room</devicename>"));
    QCOMPARE(SimTestClient::Exchange(kPlayer, 10015, named).All(), Reply(u"setDeviceName"_s, {}));
    QCOMPARE(m_network.ReceivedRequests(kPlayer), (QList<QByteArray>{exact, named}));
    QCOMPARE(m_network.State(kPlayer).m_strDeviceName, u"Küche"_s);
}

KESTAVON_TEST_MAIN(TestSimCommands)
#include "tst_simcommands.moc"
