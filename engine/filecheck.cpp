#include "filecheck.h"

#include <QFile>
#include <QFileInfo>

#include "uploadfile.h"

QString CFileCheck::Problem(const QString &path, qint64 maxBytes, const QString &tooLarge,
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

std::shared_ptr<const CUploadFile> CFileCheck::LoadFirmware(const QString &path, QString *problem)
{
    CUploadFile::ELoad outcome = CUploadFile::ELoad::Unreadable;
    std::shared_ptr<const CUploadFile> image = CUploadFile::Load(path, &outcome);
    switch (outcome) {
    case CUploadFile::ELoad::Loaded:
        problem->clear();
        break;
    case CUploadFile::ELoad::Missing:
        *problem = QStringLiteral("does not exist");
        break;
    case CUploadFile::ELoad::NotAFile:
        *problem = QStringLiteral("is not a file");
        break;
    case CUploadFile::ELoad::Empty:
        *problem = QStringLiteral("is empty");
        break;
    case CUploadFile::ELoad::TooLarge:
        *problem = QStringLiteral("is too large (2 GiB or more)");
        break;
    case CUploadFile::ELoad::Unreadable:
        *problem = QStringLiteral("cannot be read");
        break;
    }
    return image;
}
