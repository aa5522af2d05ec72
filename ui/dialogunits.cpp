#include "dialogunits.h"

#include <QFontMetrics>
#include <QString>

namespace {

// The sample whose average width defines a font's character width.
const QString &Alphabet()
{
    static const QString alphabet =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return alphabet;
}

// Half the alphabet: the average is taken over pairs of letters, then halved
// with rounding, so that the result is the nearest whole pixel.
constexpr int LETTER_PAIRS = 26;

} // namespace

CDialogUnits::CDialogUnits(int baseWidth, int baseHeight)
    : m_nBaseWidth(baseWidth), m_nBaseHeight(baseHeight)
{}

int CDialogUnits::AverageCharWidth(int widthOfAlphabet)
{
    return (widthOfAlphabet / LETTER_PAIRS + 1) / 2;
}

CDialogUnits CDialogUnits::FromFont(const QFont &font)
{
    const QFontMetrics metrics(font);
    return CDialogUnits(AverageCharWidth(metrics.horizontalAdvance(Alphabet())), metrics.height());
}

int CDialogUnits::MulDiv(int a, int b, int c)
{
    const qint64 product = static_cast<qint64>(a) * b;
    const qint64 half = c / 2;
    const qint64 rounded = product >= 0 ? (product + half) / c : (product - half) / c;
    return static_cast<int>(rounded);
}

int CDialogUnits::ToPixelsX(int units) const
{
    return MulDiv(units, m_nBaseWidth, UNITS_PER_CHAR_WIDTH);
}

int CDialogUnits::ToPixelsY(int units) const
{
    return MulDiv(units, m_nBaseHeight, UNITS_PER_CHAR_HEIGHT);
}

QRect CDialogUnits::ToPixels(const QRect &units) const
{
    return QRect(ToPixelsX(units.x()), ToPixelsY(units.y()), ToPixelsX(units.width()),
                 ToPixelsY(units.height()));
}

QSize CDialogUnits::ToPixels(const QSize &units) const
{
    return QSize(ToPixelsX(units.width()), ToPixelsY(units.height()));
}
