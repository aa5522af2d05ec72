#pragma once

#include <atomic>
#include <memory>

#include <QString>

// One read-only copy of a firmware image's bytes, read once when the image
// is chosen and shared by every download of it: players updated at once
// cost one copy, not one each, and what they receive is what was chosen,
// whatever happens to the file on disk afterwards.
class CUploadFile
{
public:
    enum class ELoad
    {
        Loaded,
        Missing,   // no such file
        NotAFile,  // a folder, a FIFO, a device: never opened for reading
        Empty,     // nothing to send
        TooLarge,  // MAX_LENGTH bytes or more
        Unreadable // cannot be opened, no memory for it, or reads short
    };

    // The whole file is held in one block; 2 GiB and more is not a firmware
    // image.
    static constexpr qint64 MAX_LENGTH = (qint64{1} << 31) - 1;

    // Reads the whole file; null with the reason in *pOutcome when it is not
    // a readable regular file of 1 byte to MAX_LENGTH. Never blocks on what
    // is not a regular file.
    static std::shared_ptr<const CUploadFile> Load(const QString &strPath, ELoad *pOutcome);

    CUploadFile(const CUploadFile &) = delete;
    CUploadFile &operator=(const CUploadFile &) = delete;
    ~CUploadFile();

    const char *Data() const { return m_pData.get(); }
    qint64 Size() const { return m_nSize; }
    // Where the bytes were read from, for messages.
    QString Path() const { return m_strPath; }
    // Copies alive in the process.
    static int LiveCount();

private:
    CUploadFile(QString strPath, std::unique_ptr<char[]> pData, qint64 nSize);

    static inline std::atomic<int> s_nLive{0};

    const QString m_strPath;
    const std::unique_ptr<char[]> m_pData;
    const qint64 m_nSize;
};
