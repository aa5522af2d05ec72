#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

// Converts dialog units to pixels the way dialog templates have always been
// laid out: one horizontal unit is a quarter of the font's average character
// width, one vertical unit an eighth of its height. A template therefore
// scales with its font instead of assuming one screen.
class CDialogUnits
{
public:
    // Horizontal units per average character width, vertical units per line.
    static constexpr int UNITS_PER_CHAR_WIDTH = 4;
    static constexpr int UNITS_PER_CHAR_HEIGHT = 8;

    CDialogUnits(int baseWidth, int baseHeight);
    // The base units of a font: the average width of the 52 Latin letters,
    // rounded, and the font's height.
    static CDialogUnits FromFont(const QFont &font);
    // The same average from the width of all 52 letters together.
    static int AverageCharWidth(int widthOfAlphabet);

    int BaseWidth() const { return m_nBaseWidth; }
    int BaseHeight() const { return m_nBaseHeight; }

    int ToPixelsX(int units) const;
    int ToPixelsY(int units) const;
    // Each of x, y, width and height is converted on its own, as dialog
    // templates are; a control's right edge is not rounded separately.
    QRect ToPixels(const QRect &units) const;
    QSize ToPixels(const QSize &units) const;

private:
    // a * b / c rounded to the nearest integer, halves away from zero.
    static int MulDiv(int a, int b, int c);

    int m_nBaseWidth;
    int m_nBaseHeight;
};
