#pragma once

#include <QByteArray>
#include <QString>

// A file of pseudo-random bytes written for a test, with what a downloader
// must end up with.
struct CFirmwareImage
{
    QString strPath;
    qint64 nSize = 0;
    QByteArray sha256Hex;

    // Writes nSize bytes to strPath; the same seed gives the same bytes. On a
    // write error sha256Hex stays empty.
    static CFirmwareImage Write(const QString &strPath, qint64 nSize, quint32 seed = 1);
};
