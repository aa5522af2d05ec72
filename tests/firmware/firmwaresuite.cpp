#include "firmwaresuite.h"

#include <QTest>

#include "fileuploader.h"
#include "uploadfile.h"

bool CFirmwareSuite::WriteImage(CFirmwareImage &image, const QString &name, qint64 size,
                                quint32 seed)
{
    image = CFirmwareImage::Write(m_dir.filePath(name), size, seed);
    return !image.sha256Hex.isEmpty();
}

CUpdateListener::ImageSource CFirmwareSuite::Serving(const QString &strPath)
{
    CUploadFile::ELoad outcome = CUploadFile::ELoad::Unreadable;
    std::shared_ptr<const CUploadFile> image = CUploadFile::Load(strPath, &outcome);
    return [image] { return image; };
}

void CFirmwareSuite::initTestCase()
{
    QVERIFY(m_dir.isValid());
    PrepareSuite();
}

void CFirmwareSuite::cleanup()
{
    QTRY_COMPARE(CFileUpLoader::LiveCount(), 0);
}
