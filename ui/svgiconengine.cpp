#include "svgiconengine.h"

#include <array>

#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include "artwork.h"

namespace {

// The sizes window managers and task bars ask for, smallest to largest; an
// X11 window icon is sent in each of them.
constexpr std::array<int, 6> ICON_SIZES = {16, 24, 32, 48, 64, 128};

} // namespace

CSvgIconEngine::CSvgIconEngine(QString path) : m_strPath(std::move(path)) {}

void CSvgIconEngine::paint(QPainter *painter, const QRect &rect, QIcon::Mode, QIcon::State)
{
    QSvgRenderer renderer(m_strPath);
    renderer.render(painter, rect);
}

QPixmap CSvgIconEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    return scaledPixmap(size, mode, state, 1.0);
}

// QIcon asks with the size in device pixels already, scale applied.
QPixmap CSvgIconEngine::scaledPixmap(const QSize &size, QIcon::Mode, QIcon::State, qreal scale)
{
    return QPixmap::fromImage(CArtwork::Draw(m_strPath, size, scale));
}

QList<QSize> CSvgIconEngine::availableSizes(QIcon::Mode, QIcon::State)
{
    QList<QSize> sizes;
    for (const int size : ICON_SIZES)
        sizes.append(QSize(size, size));
    return sizes;
}

QIconEngine *CSvgIconEngine::clone() const
{
    return new CSvgIconEngine(m_strPath);
}

QString CSvgIconEngine::key() const
{
    return QStringLiteral("kestavon-svg");
}

bool CSvgIconEngine::isNull()
{
    // Asked often (every window icon change); reading the picture to answer
    // would cost more than drawing it.
    return !QFile::exists(m_strPath);
}
