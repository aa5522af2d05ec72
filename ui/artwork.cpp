#include "artwork.h"

#include <array>

#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace {

// The sizes window managers and task bars ask for, smallest to largest.
constexpr std::array<int, 6> ICON_SIZES = {16, 24, 32, 48, 64, 128};

QPixmap Render(QSvgRenderer &renderer, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    return QPixmap::fromImage(image);
}

} // namespace

QString CArtwork::IconPath(int id)
{
    return QStringLiteral(":/icon%1.svg").arg(id);
}

QString CArtwork::LogoPath()
{
    return QStringLiteral(":/logo%1.png").arg(LOGO);
}

QIcon CArtwork::Icon(int id)
{
    QSvgRenderer renderer(IconPath(id));
    if (!renderer.isValid())
        return {};
    QIcon icon;
    for (const int size : ICON_SIZES)
        icon.addPixmap(Render(renderer, size));
    return icon;
}

QImage CArtwork::Logo()
{
    return QImage(LogoPath());
}
