#include <QTest>

#include "commandcatalogue.h"
#include "isolatednetwork.h"
#include "replydecoder.h"

using Items = QList<CMapStringToString>;

namespace {

QString Reply(const char *operation, const char *inner, const char *attributes = " errcode=\"1\"")
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Tavrion api=\"1.0.1\" "
                          "operation=\"%1\"%2>%3</Tavrion>")
        .arg(QLatin1String(operation), QLatin1String(attributes), QString::fromUtf8(inner));
}

// An element whose text lies levels deep inside nested elements, as a hostile
// player could send well within the reply size cap.
QString Nested(const char *name, int levels, const char *text)
{
    const QString open = QStringLiteral("<n>");
    const QString close = QStringLiteral("</n>");
    return QStringLiteral("<%1>%2%3%4</%1>")
        .arg(QLatin1String(name), open.repeated(levels), QLatin1String(text),
             close.repeated(levels));
}

// Deeper than any call stack would take one frame per level.
constexpr int kDeepNesting = 140000;

} // namespace

class TestReplyDecoder : public QObject
{
    Q_OBJECT

private slots:
    void extractXml_data();
    void extractXml();
    void status_data();
    void status();
    void data_data();
    void data();
};

void TestReplyDecoder::extractXml_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("xml");
    QTest::newRow("plain") << QStringLiteral("<?xml?><a/>") << QStringLiteral("<?xml?><a/>");
    QTest::newRow("text before is dropped")
        << QStringLiteral("HTTP/1.1 200 OK\r\n\r\n<?xml?><a/>") << QStringLiteral("<?xml?><a/>");
    QTest::newRow("no declaration gives empty text") << QStringLiteral("<a/>") << QString();
}

void TestReplyDecoder::extractXml()
{
    QFETCH(QString, reply);
    QFETCH(QString, xml);
    QCOMPARE(CReplyDecoder::ExtractXml(reply), xml);
}

void TestReplyDecoder::status_data()
{
    QTest::addColumn<QString>("xml");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");

    const QString formatted =
        QStringLiteral("tavrion setup error : command=setDeviceName, errcode =%1");
    QTest::newRow("errcode 1") << Reply("setDeviceName", "") << 1 << 0 << QString();
    QTest::newRow("errcode 0") << Reply("setDeviceName", "", " errcode=\"0\"") << 0 << 1
                               << formatted.arg(QStringLiteral("0"));
    QTest::newRow("errcode 01") << Reply("setDeviceName", "", " errcode=\"01\"") << 0 << 1
                                << formatted.arg(QStringLiteral("01"));
    QTest::newRow("errcode with a space") << Reply("setDeviceName", "", " errcode=\" 1\"") << 0 << 1
                                          << formatted.arg(QStringLiteral(" 1"));
    QTest::newRow("errcode %1 is not expanded") << Reply("setDeviceName", "", " errcode=\"%1\"")
                                                << 0 << 1 << formatted.arg(QStringLiteral("%1"));
    QTest::newRow("no errcode fails without text")
        << Reply("setDeviceName", "", "") << 0 << 0 << QString();
    QTest::newRow("Tavrion nested deeper")
        << QStringLiteral("<?xml version=\"1.0\"?><r><Tavrion errcode=\"1\"/></r>") << 1 << 0
        << QString();
    QTest::newRow("no Tavrion element")
        << QStringLiteral("<?xml version=\"1.0\"?><deviceInfo errcode=\"1\"/>") << 0 << 1
        << QStringLiteral("error: xml parsing, invalied xml-node(Tavrion)");
    QTest::newRow("empty text") << QString() << 0 << 1
                                << QStringLiteral("error: xml parsing failed");
    QTest::newRow("malformed") << QStringLiteral("<?xml version=\"1.0\"?><Tavrion errcode=\"1\">")
                               << 0 << 1 << QStringLiteral("error: xml parsing failed");
    QTest::newRow("second document after the first")
        << Reply("setDeviceName", "") + QStringLiteral("<?xml version=\"1.0\"?><Tavrion/>") << 0
        << 1 << QStringLiteral("error: xml parsing failed");
    QTest::newRow("text after the root") << Reply("setDeviceName", "") + QStringLiteral("garbage")
                                         << 0 << 1 << QStringLiteral("error: xml parsing failed");
    QTest::newRow("deeply nested content")
        << Reply("setDeviceName", Nested("devicename", kDeepNesting, "x").toUtf8().constData()) << 1
        << 0 << QString();
}

void TestReplyDecoder::status()
{
    QFETCH(QString, xml);
    QFETCH(int, result);
    QFETCH(int, code);
    QFETCH(QString, text);

    STP_CMD_ERROR_TAG error;
    QCOMPARE(CReplyDecoder::DecodeStatus(xml, QStringLiteral("setDeviceName"), error), result);
    QCOMPARE(error.nCode, code);
    QCOMPARE(error.strText, text);
}

void TestReplyDecoder::data_data()
{
    QTest::addColumn<int>("cmdId");
    QTest::addColumn<QString>("xml");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("text");
    QTest::addColumn<Items>("items");

    auto ok = [](const char *name, int id, const QString &xml, const Items &items) {
        QTest::newRow(name) << id << xml << 1 << QString() << items;
    };
    auto fails = [](const char *name, int id, const QString &xml, const char *text) {
        QTest::newRow(name) << id << xml << 0 << QString::fromLatin1(text) << Items{};
    };
    const auto map = [](std::initializer_list<std::pair<QString, QString>> pairs) {
        return CMapStringToString(pairs);
    };
    const QString s = QString();

    ok("device name", CMD_GET_DEVICE_NAME,
       Reply("getDeviceName", "<devicename>Den &amp; Co</devicename>"),
       {map({{QStringLiteral("devicename"), QStringLiteral("Den & Co")}})});
    ok("empty device name", CMD_GET_DEVICE_NAME, Reply("getDeviceName", "<devicename/>"),
       {map({{QStringLiteral("devicename"), s}})});
    ok("errcode 0 does not matter in a data reply", CMD_GET_DEVICE_NAME,
       Reply("getDeviceName", "<devicename>x</devicename>", " errcode=\"0\""),
       {map({{QStringLiteral("devicename"), QStringLiteral("x")}})});
    fails("device name missing", CMD_GET_DEVICE_NAME, Reply("getDeviceName", "<name>x</name>"),
          "error: xml parsing, invalied xml-node(devicename)");
    fails("element names are case-sensitive", CMD_GET_DEVICE_NAME,
          Reply("getDeviceName", "<DeviceName>x</DeviceName>"),
          "error: xml parsing, invalied xml-node(devicename)");
    ok("wifi", CMD_GET_WIFI_ON_OFF, Reply("getWifiOnOff", "<wifionoff>ON</wifionoff>"),
       {map({{QStringLiteral("wifionoff"), QStringLiteral("ON")}})});
    fails("wifi missing", CMD_GET_WIFI_ON_OFF, Reply("getWifiOnOff", ""),
          "error: xml parsing, invalied xml-node(wifionoff)");
    fails("aplist missing", CMD_GET_AP_LIST, Reply("getApList", ""),
          "error: xml parsing, invalied xml-node(aplist)");
    ok("empty aplist", CMD_GET_AP_LIST, Reply("getApList", "<aplist/>"), {});
    ok("access point walk", CMD_GET_AP_LIST,
       Reply("getApList",
             "<aplist><ap><essid>A</essid><encryptionkey>WPA2</encryptionkey><quality>9</quality>"
             "<connected>1</connected><saved>0</saved><other>x</other></ap>"
             "<whatever><essid>B</essid><essid>B2</essid></whatever>"
             "<ap><Essid>C</Essid><junk/></ap>"
             "<ap><essid>D</essid><quality>5</quality></ap></aplist>"),
       {map({{QStringLiteral("essid"), QStringLiteral("A")},
             {QStringLiteral("encryptionkey"), QStringLiteral("WPA2")},
             {QStringLiteral("quality"), QStringLiteral("9")},
             {QStringLiteral("connected"), QStringLiteral("1")},
             {QStringLiteral("saved"), QStringLiteral("0")}}),
        map({{QStringLiteral("essid"), QStringLiteral("B2")}}),
        map({{QStringLiteral("essid"), QStringLiteral("D")},
             {QStringLiteral("quality"), QStringLiteral("5")}})});
    ok("device info without wifimac", CMD_GET_DEVICE_INFO,
       Reply("getDeviceInfo", "<lanip>1.2.3.4</lanip><serialnumber>S1</serialnumber>"),
       {map({{QStringLiteral("lanip"), QStringLiteral("1.2.3.4")},
             {QStringLiteral("serialnumber"), QStringLiteral("S1")}})});
    ok("device info ended by deviceInfo", CMD_GET_DEVICE_INFO,
       QStringLiteral(
           "<?xml version=\"1.0\"?><deviceInfo><firmversion>2.1</firmversion></deviceInfo>"),
       {map({{QStringLiteral("firmversion"), QStringLiteral("2.1")}})});
    ok("device info with nothing known", CMD_GET_DEVICE_INFO, Reply("getDeviceInfo", ""),
       {CMapStringToString()});
    ok("lan setup", CMD_GET_LAN_SETUP,
       Reply("getLanSetup", "<setupmode>DHCP</setupmode><ipaddress>1.1.1.1</ipaddress>"),
       {map({{QStringLiteral("setupmode"), QStringLiteral("DHCP")},
             {QStringLiteral("ipaddress"), QStringLiteral("1.1.1.1")}})});
    ok("wifi setup", CMD_GET_WIFI_SETUP, Reply("getWifiSetup", "<seconddns>8.8.4.4</seconddns>"),
       {map({{QStringLiteral("seconddns"), QStringLiteral("8.8.4.4")}})});
    ok("connected essid is the first essid anywhere", CMD_GET_CONNECTED_ESSID,
       Reply("getConnectedESSID", "<x><y><essid>First</essid></y></x><essid>Second</essid>"),
       {map({{QStringLiteral("connected_essid"), QStringLiteral("First")}})});
    fails("connected essid missing", CMD_GET_CONNECTED_ESSID, Reply("getConnectedESSID", ""),
          "error: xml parsing, invalied xml-node(essid)");
    ok("profile list takes nothing", CMD_GET_PROFILE_LIST,
       Reply("getProfileList", "<profilelist><profile/></profilelist>"), {});
    ok("deeply nested device name", CMD_GET_DEVICE_NAME,
       Reply("getDeviceName", Nested("devicename", kDeepNesting, "deep").toUtf8().constData()),
       {map({{QStringLiteral("devicename"), QStringLiteral("deep")}})});
    ok("deeply nested device info field", CMD_GET_DEVICE_INFO,
       Reply("getDeviceInfo", Nested("lanip", kDeepNesting, "1.2.3.4").toUtf8().constData()),
       {map({{QStringLiteral("lanip"), QStringLiteral("1.2.3.4")}})});
    ok("deeply nested access point field", CMD_GET_AP_LIST,
       Reply("getApList", (QStringLiteral("<aplist><ap>") + Nested("essid", kDeepNesting, "E") +
                           QStringLiteral("</ap></aplist>"))
                              .toUtf8()
                              .constData()),
       {map({{QStringLiteral("essid"), QStringLiteral("E")}})});
    fails("empty text does not load", CMD_GET_DEVICE_NAME, QString(),
          "error: xml parsing loadXML() failed");
    fails("malformed", CMD_GET_DEVICE_INFO, QStringLiteral("<?xml version=\"1.0\"?><a><b></a>"),
          "error: xml parsing loadXML() failed");
}

void TestReplyDecoder::data()
{
    QFETCH(int, cmdId);
    QFETCH(QString, xml);
    QFETCH(int, result);
    QFETCH(QString, text);
    QFETCH(Items, items);

    STP_CMD_RESULT_TAG decoded;
    STP_CMD_ERROR_TAG error;
    QCOMPARE(CReplyDecoder::DecodeData(xml, cmdId, decoded, error), result);
    QCOMPARE(error.strText, text);
    QCOMPARE(error.nCode, result ? 0 : 1);
    if (result) {
        QCOMPARE(decoded.nCmdId, cmdId);
        QCOMPARE(decoded.listItems, items);
    }
}

KESTAVON_TEST_MAIN(TestReplyDecoder)
#include "tst_replydecoder.moc"
