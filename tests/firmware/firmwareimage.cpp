#include "firmwareimage.h"

#include <algorithm>

#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>

namespace {

// Written in pieces so a large image never sits in memory twice.
constexpr qint64 WRITE_CHUNK = 1024 * 1024;

} // namespace

CFirmwareImage CFirmwareImage::Write(const QString &strPath, qint64 nSize, quint32 seed)
{
    CFirmwareImage image{strPath, nSize, {}};
    QFile file(strPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return image;
    QRandomGenerator generator(seed);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray chunk(WRITE_CHUNK, Qt::Uninitialized);
    for (qint64 nWritten = 0; nWritten < nSize; nWritten += WRITE_CHUNK) {
        generator.fillRange(reinterpret_cast<quint32 *>(chunk.data()),
                            WRITE_CHUNK / qsizetype(sizeof(quint32)));
        const qint64 nPiece = std::min(WRITE_CHUNK, nSize - nWritten);
        hash.addData(QByteArrayView(chunk.constData(), nPiece));
        if (file.write(chunk.constData(), nPiece) != nPiece)
            return image;
    }
    image.sha256Hex = hash.result().toHex();
    return image;
}
