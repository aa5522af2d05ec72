#pragma once

#include <atomic>
#include <memory>

#include <QDateTime>
#include <QString>

// One read-only copy of a firmware file's bytes, shared by every download of
// that file: players updated at once cost one copy, not one each.
class CUploadFile
{
public:
    enum class ELoad
    {
        Loaded,
        Empty,     // nothing to send, and nothing to tell the user
        Unreadable // cannot be opened, is too large, or reads short
    };

    // The whole file is held in one block; 2 GiB and more is not a firmware
    // image.
    static constexpr qint64 MAX_LENGTH = (qint64{1} << 31) - 1;

    static std::shared_ptr<const CUploadFile> Load(const QString &strPath, ELoad *pOutcome);

    CUploadFile(const CUploadFile &) = delete;
    CUploadFile &operator=(const CUploadFile &) = delete;
    ~CUploadFile();

    const char *Data() const { return m_pData.get(); }
    qint64 Size() const { return m_nSize; }
    // Whether the file on disk is still the one this copy was read from.
    bool IsCurrent() const;
    // Copies alive in the process.
    static int LiveCount();

private:
    CUploadFile(QString strPath, std::unique_ptr<char[]> pData, qint64 nSize, QDateTime modified);

    static inline std::atomic<int> s_nLive{0};

    const QString m_strPath;
    const std::unique_ptr<char[]> m_pData;
    const qint64 m_nSize;
    const QDateTime m_modified;
};
