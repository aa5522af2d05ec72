#include <pugixml.hpp>

#include <QTest>

#include "commandcatalogue.h"
#include "httppacket.h"
#include "isolatednetwork.h"

namespace {

QByteArray Header(int contentLength)
{
    return "POST /TavrionAPI HTTP/1.1\r\nContent-Length: " + QByteArray::number(contentLength) +
           "\r\nContent-Type: text/plain; charset=UTF-8\r\nHost: 127.0.0.1:10015\r\n"
           "Connection: Keep-Alive\r\n\r\n";
}

QByteArray Envelope(const char *operation, const QByteArray &body)
{
    return QByteArray(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Tavrion api=\"1.0.1\" operation=\"") +
           operation + "\">" + body + "</Tavrion>";
}

// The request exactly as the command channel frames it.
QByteArray Frame(int id, const QStringList &arguments)
{
    CHttpPacket packet;
    packet.SetCommand(*FindCommand(id));
    if (!arguments.isEmpty())
        packet.SetBody(CHttpPacket::FillBody(packet.GetBodyFormat(), arguments));
    return packet.GetRequestBytes();
}

} // namespace

class TestHttpPacket : public QObject
{
    Q_OBJECT

private slots:
    void getDeviceNameIsByteExact();
    void setDeviceNameIsByteExact();
    void everyCommand_data();
    void everyCommand();
    void fillBody_data();
    void fillBody();
    void argumentsCannotChangeTheStructure();
    void argumentsComeBackFromAnXmlReader_data();
    void argumentsComeBackFromAnXmlReader();
    void nonAsciiIsSentAsUtf8WithByteCount();
    void setBodyReplacesTheLastRequest();
};

void TestHttpPacket::getDeviceNameIsByteExact()
{
    const QByteArray expected = "POST /TavrionAPI HTTP/1.1\r\n"
                                "Content-Length: 95\r\n"
                                "Content-Type: text/plain; charset=UTF-8\r\n"
                                "Host: 127.0.0.1:10015\r\n"
                                "Connection: Keep-Alive\r\n"
                                "\r\n"
                                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                                "<Tavrion api=\"1.0.1\" operation=\"getDeviceName\"></Tavrion>";
    QCOMPARE(Frame(1, {}), expected);
}

void TestHttpPacket::setDeviceNameIsByteExact()
{
    const QByteArray expected = "POST /TavrionAPI HTTP/1.1\r\n"
                                "Content-Length: 127\r\n"
                                "Content-Type: text/plain; charset=UTF-8\r\n"
                                "Host: 127.0.0.1:10015\r\n"
                                "Connection: Keep-Alive\r\n"
                                "\r\n"
                                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                                "<Tavrion api=\"1.0.1\" operation=\"setDeviceName\">"
                                "<devicename>Kitchen</devicename></Tavrion>";
    QCOMPARE(Frame(2, {QStringLiteral("Kitchen")}), expected);
}

void TestHttpPacket::everyCommand_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("xml");

    const QStringList profile = {QStringLiteral("home"), QStringLiteral("HomeNet"),
                                 QStringLiteral("WPA2"), QStringLiteral("80")};
    const QByteArray profileBody = "<profile><name>home</name><ssid>HomeNet</ssid>"
                                   "<securitymode>WPA2</securitymode>"
                                   "<signalstrength>80</signalstrength></profile>";
    const QStringList ipSetup = {QStringLiteral("STATIC"),        QStringLiteral("10.0.0.5"),
                                 QStringLiteral("255.255.255.0"), QStringLiteral("10.0.0.1"),
                                 QStringLiteral("10.0.0.2"),      QStringLiteral("10.0.0.3")};
    const QByteArray ipSetupBody =
        "<setupmode>STATIC</setupmode><ipaddress>10.0.0.5</ipaddress>"
        "<subnetmask>255.255.255.0</subnetmask><defaultgateway>10.0.0.1</defaultgateway>"
        "<primarydns>10.0.0.2</primarydns><seconddns>10.0.0.3</seconddns>";

    auto row = [](int id, const char *operation, QStringList arguments, QByteArray body) {
        QTest::addRow("%d %s", id, operation) << id << arguments << Envelope(operation, body);
    };
    row(1, "getDeviceName", {}, {});
    row(2, "setDeviceName", {QStringLiteral("Den")}, "<devicename>Den</devicename>");
    row(3, "getWifiOnOff", {}, {});
    row(4, "setWifiOnOff", {QStringLiteral("OFF")}, "<wifionoff>OFF</wifionoff>");
    row(5, "getApList", {}, {});
    row(6, "connectAp", {QStringLiteral("Net"), QStringLiteral("secret"), QStringLiteral("WPA2")},
        "<essid>Net</essid><password>secret</password><encryptionkey>WPA2</encryptionkey>");
    row(7, "getDeviceInfo", {}, {});
    row(8, "getProfileList", {}, {});
    row(9, "addProfile", profile, profileBody);
    row(10, "setProfile", profile, profileBody);
    row(11, "getProfile", {}, {});
    row(12, "deleteProfile", {QStringLiteral("Net")}, "<essid>Net</essid>");
    row(13, "activeProfile", {QStringLiteral("Net")}, "<ssid>Net</ssid>");
    row(14, "getLanSetup", {}, {});
    row(15, "getWifiSetup", {}, {});
    row(16, "setLanSetup", ipSetup, ipSetupBody);
    row(17, "setWifiSetup", ipSetup, ipSetupBody);
    row(18, "updateFirmware", {QStringLiteral("127.0.0.1")}, "<downloadip>127.0.0.1</downloadip>");
    row(19, "resetRender", {}, {});
    row(20, "rebootDevice", {}, {});
    row(21, "getConnectedESSID", {}, {});
}

void TestHttpPacket::everyCommand()
{
    QFETCH(int, id);
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, xml);
    QCOMPARE(Frame(id, arguments), Header(static_cast<int>(xml.size())) + xml);
}

void TestHttpPacket::fillBody_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("body");

    const QString connect =
        QStringLiteral("<essid>%s</essid><password>%s</password><encryptionkey>%s</encryptionkey>");
    QTest::newRow("all places filled")
        << connect << QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}
        << QStringLiteral("<essid>a</essid><password>b</password><encryptionkey>c</encryptionkey>");
    QTest::newRow("too few arguments leave %s")
        << connect << QStringList{QStringLiteral("a"), QStringLiteral("b")}
        << QStringLiteral(
               "<essid>a</essid><password>b</password><encryptionkey>%s</encryptionkey>");
    QTest::newRow("too many arguments are ignored")
        << QStringLiteral("<essid>%s</essid>")
        << QStringList{QStringLiteral("a"), QStringLiteral("b")}
        << QStringLiteral("<essid>a</essid>");
    QTest::newRow("%s inside an argument is not scanned again")
        << QStringLiteral("<a>%s</a><b>%s</b>")
        << QStringList{QStringLiteral("x%sy"), QStringLiteral("z")}
        << QStringLiteral("<a>x%sy</a><b>z</b>");
    QTest::newRow("template without places")
        << QStringLiteral("<fixed/>") << QStringList{QStringLiteral("ignored")}
        << QStringLiteral("<fixed/>");
    QTest::newRow("empty argument")
        << QStringLiteral("<n>%s</n>") << QStringList{QString()} << QStringLiteral("<n></n>");
    QTest::newRow("markup is escaped")
        << QStringLiteral("<n>%s</n>") << QStringList{QStringLiteral("a&b<c>\"d'")}
        << QStringLiteral("<n>a&amp;b&lt;c&gt;&quot;d&apos;</n>");
}

void TestHttpPacket::fillBody()
{
    QFETCH(QString, format);
    QFETCH(QStringList, arguments);
    QFETCH(QString, body);
    QCOMPARE(CHttpPacket::FillBody(format, arguments), body);
}

void TestHttpPacket::argumentsCannotChangeTheStructure()
{
    const QByteArray request = Frame(2, {QStringLiteral("a</devicename><x>")});
    QVERIFY(request.endsWith("<devicename>a&lt;/devicename&gt;&lt;x&gt;</devicename></Tavrion>"));
    QCOMPARE(request.count("</devicename>"), 1);
}

// Rows found by fuzz/fuzz_requestframing.cpp are added here.
void TestHttpPacket::argumentsComeBackFromAnXmlReader_data()
{
    QTest::addColumn<QString>("argument");

    QTest::newRow("markup") << QStringLiteral("a&b<c>\"d'</devicename>");
    // A reader folds a line end written as such into a line feed.
    QTest::newRow("carriage return") << QStringLiteral("a\rb");
    QTest::newRow("carriage return and line feed") << QStringLiteral("a\r\nb\r");
    QTest::newRow("only white space") << QStringLiteral(" \t\n ");
    QTest::newRow("non-ASCII") << QStringLiteral("K\u00fcche \u6a02");
}

void TestHttpPacket::argumentsComeBackFromAnXmlReader()
{
    QFETCH(QString, argument);
    const QByteArray request = Frame(2, {argument});
    const QByteArray body = request.mid(request.indexOf("\r\n\r\n") + 4);
    pugi::xml_document doc;
    QVERIFY(doc.load_buffer(body.constData(), static_cast<size_t>(body.size()),
                            pugi::parse_default | pugi::parse_ws_pcdata, pugi::encoding_utf8));
    const pugi::xml_node name = doc.document_element().child("devicename");
    QCOMPARE(QString::fromUtf8(name.child_value()), argument);
}

void TestHttpPacket::nonAsciiIsSentAsUtf8WithByteCount()
{
    const QString name = QStringLiteral("K\u00fcche \u6a02");
    const QByteArray xml =
        Envelope("setDeviceName", "<devicename>" + name.toUtf8() + "</devicename>");
    const QByteArray request = Frame(2, {name});
    QCOMPARE(request, Header(static_cast<int>(xml.size())) + xml);
    // The length counts the bytes sent, not the characters.
    QCOMPARE(name.size(), 7);
    QCOMPARE(name.toUtf8().size(), 10);
    QVERIFY(request.contains("\r\nContent-Length: 130\r\n"));
}

void TestHttpPacket::setBodyReplacesTheLastRequest()
{
    CHttpPacket packet;
    packet.SetCommand(*FindCommand(12));
    QVERIFY(packet.GetRequest().endsWith(QStringLiteral("<essid>%s</essid></Tavrion>")));
    packet.SetBody(QStringLiteral("<essid>x</essid>"));
    QVERIFY(packet.GetRequest().endsWith(QStringLiteral("<essid>x</essid></Tavrion>")));
    QCOMPARE(packet.GetBodyFormat(), QStringLiteral("<essid>%s</essid>"));
}

KESTAVON_TEST_MAIN(TestHttpPacket)
#include "tst_httppacket.moc"
