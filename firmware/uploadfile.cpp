#include "uploadfile.h"

#include <new>

#include <QFile>
#include <QFileInfo>

CUploadFile::CUploadFile(QString strPath, std::unique_ptr<char[]> pData, qint64 nSize,
                         QDateTime modified)
    : m_strPath(std::move(strPath)), m_pData(std::move(pData)), m_nSize(nSize),
      m_modified(std::move(modified))
{
    ++s_nLive;
}

CUploadFile::~CUploadFile()
{
    --s_nLive;
}

int CUploadFile::LiveCount()
{
    return s_nLive;
}

std::shared_ptr<const CUploadFile> CUploadFile::Load(const QString &strPath, ELoad *pOutcome)
{
    *pOutcome = ELoad::Unreadable;
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    const qint64 nLength = file.size();
    if (nLength <= 0) {
        *pOutcome = ELoad::Empty;
        return nullptr;
    }
    // A short read would hand the player a partial image; it counts as
    // unreadable, like a file too large or no memory for it.
    if (nLength > MAX_LENGTH)
        return nullptr;
    std::unique_ptr<char[]> pData(new (std::nothrow) char[static_cast<size_t>(nLength)]);
    if (!pData || file.read(pData.get(), nLength) != nLength)
        return nullptr;
    const QDateTime modified = QFileInfo(file).lastModified();
    *pOutcome = ELoad::Loaded;
    return std::shared_ptr<const CUploadFile>(
        new CUploadFile(strPath, std::move(pData), nLength, modified));
}

bool CUploadFile::IsCurrent() const
{
    const QFileInfo info(m_strPath);
    return info.exists() && info.size() == m_nSize && info.lastModified() == m_modified;
}
