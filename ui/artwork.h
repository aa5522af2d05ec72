#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

// The tool's own pictures, kept in the resources as SVG and drawn at the
// pixel size the screen needs, its device pixel ratio included: the window
// icon at each size asked for, the logo at its natural size.
class CArtwork
{
public:
    static constexpr int ICON_MAIN = 128;
    static constexpr int LOGO = 141;
    // The logo's natural size, in device-independent pixels.
    static constexpr int LOGO_WIDTH = 185;
    static constexpr int LOGO_HEIGHT = 153;

    // The icon with this resource id; a null icon for an unknown id.
    static QIcon Icon(int id);
    // Draws the logo for a screen of this device pixel ratio; a null image
    // when the resource is missing.
    static QImage Logo(qreal devicePixelRatio = 1.0);
    // The SVG at path drawn into pixels, for a screen of this ratio; a null
    // image when it cannot be read.
    static QImage Draw(const QString &path, const QSize &pixels, qreal devicePixelRatio);
    static QString IconPath(int id);
    static QString LogoPath();
};
