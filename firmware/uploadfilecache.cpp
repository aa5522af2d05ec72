#include "uploadfilecache.h"

#include <QMutexLocker>

std::shared_ptr<const CUploadFile> CUploadFileCache::Get(const QString &strPath,
                                                         CUploadFile::ELoad *pOutcome)
{
    QMutexLocker locker(&m_mutex);
    if (strPath == m_strPath) {
        if (std::shared_ptr<const CUploadFile> file = m_file.lock(); file && file->IsCurrent()) {
            *pOutcome = CUploadFile::ELoad::Loaded;
            return file;
        }
    }
    // Let the old copy go before the new one is read, where no one holds it.
    m_file.reset();
    std::shared_ptr<const CUploadFile> file = CUploadFile::Load(strPath, pOutcome);
    m_strPath = strPath;
    m_file = file;
    return file;
}
