#pragma once

#include <QIconEngine>
#include <QString>

// An icon drawn from its SVG source at exactly the pixel size asked for,
// device pixel ratio included, so it stays crisp on any screen.
class CSvgIconEngine : public QIconEngine
{
public:
    explicit CSvgIconEngine(QString path);

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QIconEngine *clone() const override;
    QString key() const override;
    bool isNull() override;

private:
    QString m_strPath;
};
