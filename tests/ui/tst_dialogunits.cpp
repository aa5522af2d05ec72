#include <QFont>
#include <QFontMetrics>
#include <QTest>

#include "dialogunits.h"
#include "uitestmain.h"

// Dialog units against fixed font metrics, so the expected pixels do not
// depend on the fonts of the machine running the test.
class TestDialogUnits : public QObject
{
    Q_OBJECT

private slots:
    void rectangles_data();
    void rectangles();
    void averageCharWidth_data();
    void averageCharWidth();
    void fromFontUsesTheFontsMetrics();
};

void TestDialogUnits::rectangles_data()
{
    QTest::addColumn<int>("baseWidth");
    QTest::addColumn<int>("baseHeight");
    QTest::addColumn<QRect>("units");
    QTest::addColumn<QRect>("pixels");
    // The classic 8-point dialog font: 6 x 13 pixels.
    QTest::newRow("refresh button") << 6 << 13 << QRect(7, 334, 134, 21) << QRect(11, 543, 201, 34);
    QTest::newRow("adapter list") << 6 << 13 << QRect(7, 157, 135, 30) << QRect(11, 255, 203, 49);
    QTest::newRow("page frame") << 6 << 13 << QRect(152, 7, 308, 348) << QRect(228, 11, 462, 566);
    // Halves round up: 1 x 6 / 4 = 1.5 -> 2, 1 x 13 / 8 = 1.625 -> 2.
    QTest::newRow("halves round up") << 6 << 13 << QRect(1, 1, 1, 1) << QRect(2, 2, 2, 2);
    // A wider font makes a wider window: 7 x 13.
    QTest::newRow("main window, wider font")
        << 7 << 13 << QRect(0, 0, 465, 362) << QRect(0, 0, 814, 588);
    QTest::newRow("zero") << 7 << 16 << QRect(0, 0, 0, 0) << QRect(0, 0, 0, 0);
}

void TestDialogUnits::rectangles()
{
    QFETCH(int, baseWidth);
    QFETCH(int, baseHeight);
    QFETCH(QRect, units);
    QFETCH(QRect, pixels);
    const CDialogUnits converter(baseWidth, baseHeight);
    QCOMPARE(converter.ToPixels(units), pixels);
    QCOMPARE(converter.ToPixels(units.size()), pixels.size());
}

void TestDialogUnits::averageCharWidth_data()
{
    QTest::addColumn<int>("alphabetWidth");
    QTest::addColumn<int>("average");
    // Tahoma 8 point: 52 letters in 312 pixels, exactly 6 a letter.
    QTest::newRow("exact") << 312 << 6;
    // 338 / 26 = 13 pixels a pair: 6.5 a letter rounds to 7.
    QTest::newRow("half rounds up") << 338 << 7;
    // 337 / 26 = 12 pixels a pair (truncated), 6 a letter.
    QTest::newRow("pair width truncates") << 337 << 6;
}

void TestDialogUnits::averageCharWidth()
{
    QFETCH(int, alphabetWidth);
    QFETCH(int, average);
    QCOMPARE(CDialogUnits::AverageCharWidth(alphabetWidth), average);
}

void TestDialogUnits::fromFontUsesTheFontsMetrics()
{
    QFont font(QStringLiteral("Sans Serif"));
    font.setPointSize(8);
    const QFontMetrics metrics(font);
    const CDialogUnits units = CDialogUnits::FromFont(font);
    QCOMPARE(units.BaseHeight(), metrics.height());
    QCOMPARE(units.BaseWidth(),
             CDialogUnits::AverageCharWidth(metrics.horizontalAdvance(
                 QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"))));
    // Four horizontal units make one average character.
    QCOMPARE(units.ToPixelsX(4), units.BaseWidth());
    QCOMPARE(units.ToPixelsY(8), units.BaseHeight());
}

KESTAVON_UI_TEST_MAIN(TestDialogUnits)
#include "tst_dialogunits.moc"
