#include <QTest>

#include "announcement.h"
#include "isolatednetwork.h"

namespace {

const CAnnouncement kLivingRoom{QStringLiteral("KS-200"), QStringLiteral("Living Room"),
                                QStringLiteral("127.0.0.21"), QStringLiteral("uuid:5a1e-0001")};

QByteArray WithIp(const QByteArray &ip)
{
    return "<deviceInfo><model>KS-200</model><name>Living Room</name><ip>" + ip +
           "</ip><udn>uuid:5a1e-0001</udn></deviceInfo>";
}

} // namespace

Q_DECLARE_METATYPE(CAnnouncement)

class TestAnnouncementParse : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
};

void TestAnnouncementParse::parse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("found");
    QTest::addColumn<CAnnouncement>("announcement");
    const auto found = [](const char *name, const QByteArray &bytes, const CAnnouncement &record) {
        QTest::newRow(name) << bytes << true << record;
    };
    const auto dropped = [](const char *name, const QByteArray &bytes) {
        QTest::newRow(name) << bytes << false << CAnnouncement{};
    };

    found("plain", WithIp("127.0.0.21"), kLivingRoom);
    found("with declaration", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + WithIp("127.0.0.21"),
          kLivingRoom);
    found("other root",
          "<Tavrion><model>KS-100</model><name>Den</name><ip>127.0.0.22</ip>"
          "<udn>uuid:2</udn></Tavrion>",
          {QStringLiteral("KS-100"), QStringLiteral("Den"), QStringLiteral("127.0.0.22"),
           QStringLiteral("uuid:2")});
    found("nested elements",
          "<deviceInfo><device><model>KS-200</model><info><name>Living <b>Room</b>"
          "</name></info></device><net><ip>127.0.0.21</ip></net>"
          "<udn>uuid:5a1e-0001</udn></deviceInfo>",
          kLivingRoom);
    found("first ip wins",
          "<deviceInfo><model>KS-200</model><name>Living Room</name>"
          "<ip>127.0.0.21</ip><ip>127.0.0.99</ip><udn>uuid:5a1e-0001</udn></deviceInfo>",
          kLivingRoom);
    found("utf-8 name",
          "<deviceInfo><model>KS-200</model><name>K\xc3\xbc"
          "che</name><ip>127.0.0.23</ip><udn>uuid:3</udn></deviceInfo>",
          {QStringLiteral("KS-200"), QStringLiteral("K\u00fcche"), QStringLiteral("127.0.0.23"),
           QStringLiteral("uuid:3")});
    found("empty name is a name", WithIp("127.0.0.21").replace("Living Room", ""),
          {QStringLiteral("KS-200"), QString(), QStringLiteral("127.0.0.21"),
           QStringLiteral("uuid:5a1e-0001")});

    dropped("empty", QByteArray());
    dropped("second document follows", WithIp("127.0.0.21") + "<deviceInfo><model>");
    dropped("zero byte inside",
            "<deviceInfo><model>KS-200</model>" + QByteArray(1, '\0') + "</deviceInfo>");
    dropped("udn missing", "<deviceInfo><model>KS-200</model><name>Living Room</name>"
                           "<ip>127.0.0.21</ip></deviceInfo>");
    dropped("not well-formed", "<deviceInfo><model>KS-200</name><name>x</name><ip>1</ip>"
                               "<udn>u</udn></deviceInfo>");
    // The address is the key of the device list and the target of every
    // command and of the web view: only a plain dotted IPv4 address will do.
    dropped("ip empty", WithIp(""));
    dropped("ip a host name", WithIp("kitchen.local"));
    dropped("ip with port and path", WithIp("127.0.0.5:99/x"));
    dropped("ip octet above 255", WithIp("300.1.1.1"));
    dropped("ip with spaces", WithIp(" 127.0.0.21 "));
    dropped("ip with leading zero", WithIp("127.0.0.021"));
    dropped("ip with a child element", WithIp("127.0.0.<b>21</b>x"));
}

void TestAnnouncementParse::parse()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, found);
    QFETCH(CAnnouncement, announcement);
    const std::optional<CAnnouncement> parsed = CAnnouncement::ParseDeviceInfo(bytes);
    QCOMPARE(parsed.has_value(), found);
    if (found)
        QCOMPARE(*parsed, announcement);
}

KESTAVON_TEST_MAIN(TestAnnouncementParse)
#include "tst_announcementparse.moc"
