// CMainWindowLayout: where the main window's controls go at any size.
#pragma once

#include <QList>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

// The template gives the main window's controls their places at its own size,
// the default. A larger window gives the room to the device list (downwards)
// and to the page area (both ways); the column on the left keeps its width
// and the Refresh button stays at the bottom. A screen too small for the
// default (a high scale factor) takes room from the same two first; when even
// the smallest device list does not fit, the logo gives up its place. The
// status line, when there is one, stays along the bottom at full width.
class CMainWindowLayout
{
public:
    // Below this the device list shows too little to choose from.
    static constexpr int MIN_LIST_HEIGHT = 40;
    // The page area scrolls below its default size; this much of it stays.
    static constexpr int MIN_PAGE_WIDTH = 120;

    // Takes the places of window's direct children as they are now, at the
    // window's present (template) size. The list and the page area are the
    // two that grow; a child to the right of the page area's left edge grows
    // with it, one under the list moves down with its bottom. logo names the
    // frame the logo is drawn in; statusLine, when given, keeps to the bottom
    // and grows in width.
    void Capture(const QWidget *window, QWidget *list, QWidget *pageArea, QWidget *logo,
                 QWidget *statusLine = nullptr);

    QSize DefaultSize() const { return m_defaultSize; }
    // The least size at which every control keeps room of its own.
    QSize SmallestSize() const;
    // The least size the window may take on a screen offering available: the
    // default, or what fits when the screen is smaller, but never below the
    // smallest size.
    QSize MinimumSize(const QSize &available) const;
    // The size to open with: the remembered one (or the default when none or
    // an unusable one is given), at least the minimum, at most what fits.
    QSize OpeningSize(const QSize &remembered, const QSize &available) const;

    // Places every captured control for a window of size; false when the
    // logo has no room at that size.
    bool Apply(const QSize &size) const;
    // Where the logo goes at size, or an empty rectangle when it has no room.
    QRect LogoRect(const QSize &size) const;

private:
    enum class ERole
    {
        Fixed,
        List,
        Below,
        Page,
        Bottom
    };
    struct SPlace
    {
        QPointer<QWidget> m_pWidget;
        QRect m_rcDefault;
        ERole m_role = ERole::Fixed;
    };

    int LogoShift() const;
    bool LogoFits(int height) const;

    QSize m_defaultSize;
    QList<SPlace> m_places;
    QRect m_rcList;
    QRect m_rcPage;
    QRect m_rcLogo;
};
