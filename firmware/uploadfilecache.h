#pragma once

#include <memory>

#include <QMutex>
#include <QString>

#include "uploadfile.h"

// Hands every download of a file the same copy for as long as any download
// holds it, so memory does not grow with the number of players. A file
// changed on disk since its copy was read is read again. Thread-safe: the
// uploader threads ask for the file as they start; one reads, the others
// wait for its copy instead of reading their own.
class CUploadFileCache
{
public:
    std::shared_ptr<const CUploadFile> Get(const QString &strPath, CUploadFile::ELoad *pOutcome);

private:
    QMutex m_mutex;
    QString m_strPath;
    std::weak_ptr<const CUploadFile> m_file;
};
