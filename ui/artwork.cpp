#include "artwork.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

#include "svgiconengine.h"

QString CArtwork::IconPath(int id)
{
    return QStringLiteral(":/icon%1.svg").arg(id);
}

QString CArtwork::LogoPath()
{
    return QStringLiteral(":/logo%1.svg").arg(LOGO);
}

QIcon CArtwork::Icon(int id)
{
    // Only looked for: the picture is read when the icon is first drawn.
    if (!QFile::exists(IconPath(id)))
        return {};
    return QIcon(new CSvgIconEngine(IconPath(id)));
}

QImage CArtwork::Logo(qreal devicePixelRatio)
{
    return Draw(LogoPath(), QSize(LOGO_WIDTH, LOGO_HEIGHT) * devicePixelRatio, devicePixelRatio);
}

QImage CArtwork::Draw(const QString &path, const QSize &pixels, qreal devicePixelRatio)
{
    QSvgRenderer renderer(path);
    if (!renderer.isValid() || pixels.isEmpty())
        return {};
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}
