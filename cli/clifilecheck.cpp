#include "clifilecheck.h"

#include <QFile>
#include <QFileInfo>

#include "fileuploader.h"

QString CCliFileCheck::Problem(const QString &path, qint64 maxBytes, const QString &tooLarge,
                               bool mayBeEmpty)
{
    const QFileInfo info(path);
    QFile file(path);
    if (!info.exists())
        return QStringLiteral("does not exist");
    if (!info.isFile())
        return QStringLiteral("is not a file");
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot be read");
    if (!mayBeEmpty && info.size() <= 0)
        return QStringLiteral("is empty");
    if (info.size() > maxBytes)
        return tooLarge;
    return {};
}

QString CCliFileCheck::FirmwareProblem(const QString &path)
{
    return Problem(path, CFileUpLoader::MAX_FILE_LENGTH,
                   QStringLiteral("is too large (2 GiB or more)"), false);
}
