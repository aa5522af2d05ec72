#include <QTest>

#include "ipv4text.h"
#include "isolatednetwork.h"

class TestIpv4Text : public QObject
{
    Q_OBJECT

private slots:
    void address_data();
    void address();
    void mask_data();
    void mask();
};

void TestIpv4Text::address_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<quint32>("number");
    const auto ok = [](const char *name, const char *text, quint32 number) {
        QTest::newRow(name) << QString::fromLatin1(text) << true << number;
    };
    const auto bad = [](const char *name, const QString &text) {
        QTest::newRow(name) << text << false << quint32(0);
    };
    ok("plain", "192.168.1.20", 0xC0A80114u);
    ok("zeros", "0.0.0.0", 0u);
    ok("all ones", "255.255.255.255", 0xFFFFFFFFu);
    ok("loopback", "127.0.0.5", 0x7F000005u);
    bad("empty", QString());
    bad("three parts", QStringLiteral("127.0.0"));
    bad("five parts", QStringLiteral("127.0.0.1.2"));
    bad("octet above 255", QStringLiteral("300.1.1.1"));
    bad("256", QStringLiteral("1.1.1.256"));
    bad("four digits", QStringLiteral("1.1.1.0001"));
    bad("leading zero", QStringLiteral("127.0.0.010"));
    bad("port", QStringLiteral("127.0.0.5:99"));
    bad("port and path", QStringLiteral("127.0.0.5:99/x"));
    bad("host name", QStringLiteral("player.local"));
    bad("space before", QStringLiteral(" 127.0.0.5"));
    bad("space after", QStringLiteral("127.0.0.5 "));
    bad("newline after", QStringLiteral("127.0.0.5\n"));
    bad("empty part", QStringLiteral("127..0.5"));
    bad("trailing dot", QStringLiteral("127.0.0.5."));
    bad("sign", QStringLiteral("127.0.0.+5"));
    bad("hexadecimal", QStringLiteral("0x7f.0.0.1"));
    bad("one number", QStringLiteral("2130706433"));
    bad("full-width digits", QStringLiteral("127.0.0.\uFF15"));
    bad("arabic-indic digit", QStringLiteral("127.0.0.\u0665"));
}

void TestIpv4Text::address()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(quint32, number);
    QCOMPARE(CIpv4Text::IsAddress(text), valid);
    const std::optional<quint32> parsed = CIpv4Text::ToNumber(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE(*parsed, number);
}

void TestIpv4Text::mask_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("/24") << QStringLiteral("255.255.255.0") << true;
    QTest::newRow("/20") << QStringLiteral("255.255.240.0") << true;
    QTest::newRow("/32") << QStringLiteral("255.255.255.255") << true;
    QTest::newRow("/0") << QStringLiteral("0.0.0.0") << true;
    QTest::newRow("hole") << QStringLiteral("255.0.255.0") << false;
    QTest::newRow("ones at the bottom") << QStringLiteral("0.0.0.255") << false;
    QTest::newRow("one stray bit") << QStringLiteral("255.255.255.1") << false;
    QTest::newRow("not an address") << QStringLiteral("abc.def") << false;
}

void TestIpv4Text::mask()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QCOMPARE(CIpv4Text::IsMask(text), valid);
}

KESTAVON_TEST_MAIN(TestIpv4Text)
#include "tst_ipv4text.moc"
