#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

// The tool's own pictures, kept in the resources: the window icon (drawn from
// its SVG at each size asked for) and the logo (a PNG made from its SVG when
// the tool is built).
class CArtwork
{
public:
    static constexpr int ICON_MAIN = 128;
    static constexpr int LOGO = 141;
    // The logo's natural size, in pixels.
    static constexpr int LOGO_WIDTH = 185;
    static constexpr int LOGO_HEIGHT = 153;

    // The icon with this resource id; a null icon for an unknown id.
    static QIcon Icon(int id);
    // Decodes the logo; a null image when the resource is missing.
    static QImage Logo();
    static QString IconPath(int id);
    static QString LogoPath();
};
