#include <QTest>

#include "csv.h"
#include "clitable.h"
#include "clitext.h"
#include "isolatednetwork.h"

// Player text in the terminal and in spreadsheets: shown, never obeyed.
class TestCliText : public QObject
{
    Q_OBJECT

private slots:
    void escaped_data();
    void escaped();
    void cellIsCut_data();
    void cellIsCut();
    void tableCellsAreEscapedAndCut();
    void jsonEscapesWhatItsWriterLeaves_data();
    void jsonEscapesWhatItsWriterLeaves();
    void csvDefusesFormulas_data();
    void csvDefusesFormulas();
};

void TestCliText::escaped_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");

    QTest::newRow("plain text stays")
        << QStringLiteral("Living Room") << QStringLiteral("Living Room");
    QTest::newRow("letters beyond ASCII stay")
        << QStringLiteral("B\u00fcro \u05e1\u05dc\u05d5\u05df \U0001F3B5")
        << QStringLiteral("B\u00fcro \u05e1\u05dc\u05d5\u05df \U0001F3B5");
    QTest::newRow("a backslash stays") << QStringLiteral("a\\b") << QStringLiteral("a\\b");
    QTest::newRow("a colour escape")
        << QStringLiteral("Red\x1b[31m!") << QStringLiteral("Red\\x1b[31m!");
    QTest::newRow("a title-setting sequence")
        << QStringLiteral("\x1b]0;pwned\x07") << QStringLiteral("\\x1b]0;pwned\\x07");
    QTest::newRow("a carriage return cannot overwrite the line")
        << QStringLiteral("ok\rFAKE") << QStringLiteral("ok\\x0dFAKE");
    QTest::newRow("a line break cannot start a line")
        << QStringLiteral("a\nb\tc") << QStringLiteral("a\\x0ab\\x09c");
    QTest::newRow("zero and DEL") << QString(QStringLiteral("a")) + QChar(0) +
                                         QStringLiteral("\x7f")
                                  << QStringLiteral("a\\x00\\x7f");
    QTest::newRow("a C1 control sequence introducer")
        << QStringLiteral("\u009b2J") << QStringLiteral("\\x9b2J");
    QTest::newRow("a right-to-left override")
        << QStringLiteral("invoice\u202efdp.exe") << QStringLiteral("invoice\\u202efdp.exe");
    QTest::newRow("every embedding and override")
        << QStringLiteral("\u202a\u202b\u202c\u202d\u202e")
        << QStringLiteral("\\u202a\\u202b\\u202c\\u202d\\u202e");
    QTest::newRow("every isolate") << QStringLiteral("\u2066\u2067\u2068\u2069")
                                   << QStringLiteral("\\u2066\\u2067\\u2068\\u2069");
    QTest::newRow("direction marks")
        << QStringLiteral("\u200e\u200f\u061c") << QStringLiteral("\\u200e\\u200f\\u061c");
    QTest::newRow("line and paragraph separators")
        << QStringLiteral("a\u2028b\u2029") << QStringLiteral("a\\u2028b\\u2029");
    QTest::newRow("a lone surrogate") << QString(QChar(0xD800)) << QStringLiteral("\\ud800");
}

void TestCliText::escaped()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(CCliText::Escaped(text), shown);
}

void TestCliText::cellIsCut_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("cell");
    const QString ellipsis(QChar(0x2026));

    QTest::newRow("short text stays whole") << QStringLiteral("abc") << 5 << QStringLiteral("abc");
    QTest::newRow("text of the width stays whole")
        << QStringLiteral("abcde") << 5 << QStringLiteral("abcde");
    QTest::newRow("longer text ends in an ellipsis")
        << QStringLiteral("abcdef") << 5 << QStringLiteral("abcd") + ellipsis;
    QTest::newRow("an escape is never cut in two")
        << QStringLiteral("ab\x1b[31m") << 5 << QStringLiteral("ab") + ellipsis;
    QTest::newRow("an escape that fits at the end stays")
        << QStringLiteral("a\x1b") << 5 << QStringLiteral("a\\x1b");
    QTest::newRow("a surrogate pair is never cut in two")
        << QStringLiteral("abc\U0001F3B5x") << 5 << QStringLiteral("abc") + ellipsis;
    QTest::newRow("a 60 KB name is one short cell")
        << QString(60000, QLatin1Char('x')) << int(CCliText::CELL_WIDTH)
        << QString(CCliText::CELL_WIDTH - 1, QLatin1Char('x')) + ellipsis;
}

void TestCliText::cellIsCut()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QString, cell);
    QCOMPARE(CCliText::Cell(text, width), cell);
}

void TestCliText::tableCellsAreEscapedAndCut()
{
    CCliTable table({QStringLiteral("NAME"), QStringLiteral("IP")});
    table.AddRow({QStringLiteral("Evil\x1b[2J\u202e"), QStringLiteral("127.0.0.2")});
    table.AddRow({QString(60000, QLatin1Char('x')), QStringLiteral("127.0.0.3")});
    const QString text = table.Text();
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QVERIFY2(lines.at(1).startsWith(QStringLiteral("Evil\\x1b[2J\\u202e  ")), qPrintable(text));
    QCOMPARE(lines.at(2), QString(CCliText::CELL_WIDTH - 1, QLatin1Char('x')) + QChar(0x2026) +
                              QStringLiteral("  127.0.0.3"));
}

void TestCliText::jsonEscapesWhatItsWriterLeaves_data()
{
    QTest::addColumn<QString>("json");
    QTest::addColumn<QString>("written");

    QTest::newRow("what the writer escaped stays")
        << QStringLiteral("[\"a\\u001b\\n\"]") << QStringLiteral("[\"a\\u001b\\n\"]");
    QTest::newRow("the document's own line breaks stay")
        << QStringLiteral("[\n    1\n]\n") << QStringLiteral("[\n    1\n]\n");
    QTest::newRow("letters beyond ASCII stay") << QStringLiteral("[\"B\u00fcro \U0001F3B5\"]")
                                               << QStringLiteral("[\"B\u00fcro \U0001F3B5\"]");
    QTest::newRow("DEL and C1 are escaped")
        << QStringLiteral("[\"a\x7f\u009b\"]") << QStringLiteral("[\"a\\u007f\\u009b\"]");
    QTest::newRow("bidirectional controls are escaped")
        << QStringLiteral("[\"\u202e\u2066\u200f\"]")
        << QStringLiteral("[\"\\u202e\\u2066\\u200f\"]");
}

void TestCliText::jsonEscapesWhatItsWriterLeaves()
{
    QFETCH(QString, json);
    QFETCH(QString, written);
    QCOMPARE(CCliText::JsonEscaped(json), written);
}

void TestCliText::csvDefusesFormulas_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("written");

    QTest::newRow("plain text") << QStringLiteral("Kitchen") << QStringLiteral("Kitchen");
    QTest::newRow("a number") << QStringLiteral("2") << QStringLiteral("2");
    QTest::newRow("an empty cell") << QString() << QString();
    QTest::newRow("= begins a formula") << QStringLiteral("=HYPERLINK(\"http://x\")")
                                        << QStringLiteral("\"'=HYPERLINK(\"\"http://x\"\")\"");
    QTest::newRow("+ begins a formula") << QStringLiteral("+1+1") << QStringLiteral("'+1+1");
    QTest::newRow("- begins a formula, numbers too")
        << QStringLiteral("-2+3+cmd|' /C calc'!A0") << QStringLiteral("'-2+3+cmd|' /C calc'!A0");
    QTest::newRow("a negative number is marked as well")
        << QStringLiteral("-1") << QStringLiteral("'-1");
    QTest::newRow("@ begins a formula")
        << QStringLiteral("@SUM(A1)") << QStringLiteral("'@SUM(A1)");
    QTest::newRow("a leading tab") << QStringLiteral("\t=1") << QStringLiteral("'\t=1");
    QTest::newRow("a leading carriage return")
        << QStringLiteral("\r=1") << QStringLiteral("\"'\r=1\"");
    QTest::newRow("a formula sign later on stays")
        << QStringLiteral("a=b-c") << QStringLiteral("a=b-c");
    QTest::newRow("a quoted formula with a comma")
        << QStringLiteral("=1,2") << QStringLiteral("\"'=1,2\"");
}

void TestCliText::csvDefusesFormulas()
{
    QFETCH(QString, field);
    QFETCH(QString, written);
    QCOMPARE(CCsv::Record({field, QStringLiteral("x")}), written + QStringLiteral(",x\r\n"));
}

KESTAVON_TEST_MAIN(TestCliText)
#include "tst_clitext.moc"
