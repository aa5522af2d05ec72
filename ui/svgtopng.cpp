// Build tool: renders an SVG picture to a PNG of a given size, so the
// fixed-size icons of an installation are made from their SVG source on every
// build.
//   kestavon-svgtopng INPUT.svg OUTPUT.png WIDTH HEIGHT

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>
#include <QTextStream>

namespace {

// Program name, input, output, width, height.
constexpr int ARGUMENTS = 5;

int Fail(const QString &text)
{
    QTextStream(stderr) << "kestavon-svgtopng: " << text << '\n';
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    // Drawing into an image needs no display and no window system; the
    // pictures hold no text, so no fonts either.
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != ARGUMENTS)
        return Fail(QStringLiteral("usage: INPUT.svg OUTPUT.png WIDTH HEIGHT"));

    QSvgRenderer renderer(arguments[1]);
    if (!renderer.isValid())
        return Fail(QStringLiteral("cannot read %1").arg(arguments[1]));
    const QSize size(arguments[3].toInt(), arguments[4].toInt());
    if (size.isEmpty())
        return Fail(QStringLiteral("bad size"));

    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    if (!image.save(arguments[2], "PNG"))
        return Fail(QStringLiteral("cannot write %1").arg(arguments[2]));
    return 0;
}
