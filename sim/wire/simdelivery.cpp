#include "simdelivery.h"

namespace {

// "</" plus three letters stay in the first piece: "</Tav" | "rion>".
constexpr qsizetype kEndTagHead = 5;

} // namespace

QList<QByteArray> CSimDelivery::Split(const QByteArray &bytes, int pieceSize)
{
    const qsizetype size = qMax(1, pieceSize);
    QList<QByteArray> pieces;
    pieces.reserve(bytes.size() / size + 1);
    for (qsizetype at = 0; at < bytes.size(); at += size)
        pieces.append(bytes.mid(at, size));
    return pieces;
}

QList<QByteArray> CSimDelivery::SplitInEndTag(const QByteArray &bytes)
{
    const qsizetype tag = bytes.lastIndexOf("</");
    if (tag < 0 || tag + kEndTagHead >= bytes.size())
        return {bytes};
    return {bytes.left(tag + kEndTagHead), bytes.mid(tag + kEndTagHead)};
}
