#include <QTest>

#include "isolatednetwork.h"
#include "nametext.h"

// The names a user gives for a player to keep: refused, with the reason,
// when the player could not keep them as given.
class TestNameText : public QObject
{
    Q_OBJECT

private slots:
    void deviceName_data();
    void deviceName();
    void essid_data();
    void essid();
};

void TestNameText::deviceName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("problem");
    const QString control = QStringLiteral("holds a control character (U+%1)");

    QTest::newRow("a plain name is kept") << QStringLiteral("Living Room") << QString();
    QTest::newRow("letters beyond ASCII are kept")
        << QStringLiteral("B\u00fcro & K\u00fcche") << QString();
    QTest::newRow("bidirectional text is kept")
        << QStringLiteral("\u05e1\u05dc\u05d5\u05df") << QString();
    QTest::newRow("64 bytes are kept") << QString(64, QLatin1Char('x')) << QString();
    QTest::newRow("an escape sequence is refused")
        << QStringLiteral("Den\x1b[31m") << control.arg(QLatin1String("001B"));
    QTest::newRow("a zero character is refused")
        << QString(QStringLiteral("a")) + QChar(0) << control.arg(QLatin1String("0000"));
    QTest::newRow("a tab is refused")
        << QStringLiteral("a\tb") << control.arg(QLatin1String("0009"));
    QTest::newRow("a line break is refused")
        << QStringLiteral("a\nb") << control.arg(QLatin1String("000A"));
    QTest::newRow("DEL is refused")
        << QStringLiteral("a\x7f") << control.arg(QLatin1String("007F"));
    QTest::newRow("a C1 control is refused")
        << QStringLiteral("a\u009b2J") << control.arg(QLatin1String("009B"));
    QTest::newRow("65 bytes are refused")
        << QString(65, QLatin1Char('x'))
        << QStringLiteral("is 65 bytes long (UTF-8); a player keeps at most 64");
    QTest::newRow("33 two-byte letters are 66 bytes")
        << QString(33, QChar(0x00FC))
        << QStringLiteral("is 66 bytes long (UTF-8); a player keeps at most 64");
    QTest::newRow("a 60 KB name is refused")
        << QString(60000, QLatin1Char('x'))
        << QStringLiteral("is 60000 bytes long (UTF-8); a player keeps at most 64");
}

void TestNameText::deviceName()
{
    QFETCH(QString, name);
    QFETCH(QString, problem);
    QCOMPARE(CNameText::DeviceNameProblem(name), problem);
}

void TestNameText::essid_data()
{
    QTest::addColumn<QString>("essid");
    QTest::addColumn<QString>("problem");

    QTest::newRow("32 bytes are kept") << QString(32, QLatin1Char('n')) << QString();
    QTest::newRow("33 bytes are refused")
        << QString(33, QLatin1Char('n'))
        << QStringLiteral("is 33 bytes long (UTF-8); a player keeps at most 32");
    QTest::newRow("a control character is refused")
        << QStringLiteral("Office\r") << QStringLiteral("holds a control character (U+000D)");
}

void TestNameText::essid()
{
    QFETCH(QString, essid);
    QFETCH(QString, problem);
    QCOMPARE(CNameText::EssidProblem(essid), problem);
}

KESTAVON_TEST_MAIN(TestNameText)
#include "tst_nametext.moc"
