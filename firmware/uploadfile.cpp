#include "uploadfile.h"

#include <cerrno>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

namespace {

// Closes the descriptor however the load ends.
class CDescriptor
{
public:
    explicit CDescriptor(int hFile) : m_hFile(hFile) {}
    ~CDescriptor()
    {
        if (m_hFile >= 0)
            ::close(m_hFile);
    }
    CDescriptor(const CDescriptor &) = delete;
    CDescriptor &operator=(const CDescriptor &) = delete;
    int Get() const { return m_hFile; }

private:
    int m_hFile;
};

CUploadFile::ELoad KindOf(const struct stat &info)
{
    if (!S_ISREG(info.st_mode))
        return CUploadFile::ELoad::NotAFile;
    if (info.st_size <= 0)
        return CUploadFile::ELoad::Empty;
    if (info.st_size > CUploadFile::MAX_LENGTH)
        return CUploadFile::ELoad::TooLarge;
    return CUploadFile::ELoad::Loaded;
}

// Reads exactly nLength bytes; a file that ends sooner (cut meanwhile) fails.
bool ReadWhole(int hFile, char *pData, qint64 nLength)
{
    for (qint64 nRead = 0; nRead < nLength;) {
        const ssize_t nPiece = ::read(hFile, pData + nRead, static_cast<size_t>(nLength - nRead));
        if (nPiece < 0 && errno == EINTR)
            continue;
        if (nPiece <= 0)
            return false;
        nRead += nPiece;
    }
    return true;
}

} // namespace

CUploadFile::CUploadFile(QString strPath, std::unique_ptr<char[]> pData, qint64 nSize)
    : m_strPath(std::move(strPath)), m_pData(std::move(pData)), m_nSize(nSize)
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

// The path is looked at before it is opened, so that a FIFO or a device is
// refused without opening it (opening some devices does something); the open
// itself does not wait for a FIFO's writer, and what was opened is looked at
// again, in case the path was swapped in between.
std::shared_ptr<const CUploadFile> CUploadFile::Load(const QString &strPath, ELoad *pOutcome)
{
    *pOutcome = ELoad::Unreadable;
    const QByteArray path = QFile::encodeName(strPath);
    struct stat info
    {
    };
    if (path.isEmpty() || ::stat(path.constData(), &info) != 0) {
        if (path.isEmpty() || errno == ENOENT || errno == ENOTDIR)
            *pOutcome = ELoad::Missing;
        return nullptr;
    }
    if (KindOf(info) == ELoad::NotAFile) {
        *pOutcome = ELoad::NotAFile;
        return nullptr;
    }
    const CDescriptor file(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.Get() < 0) {
        if (errno == ENOENT)
            *pOutcome = ELoad::Missing;
        return nullptr;
    }
    if (::fstat(file.Get(), &info) != 0)
        return nullptr;
    *pOutcome = KindOf(info);
    if (*pOutcome != ELoad::Loaded)
        return nullptr;
    const qint64 nLength = info.st_size;
    std::unique_ptr<char[]> pData(new (std::nothrow) char[static_cast<size_t>(nLength)]);
    if (!pData || !ReadWhole(file.Get(), pData.get(), nLength)) {
        *pOutcome = ELoad::Unreadable;
        return nullptr;
    }
    return std::shared_ptr<const CUploadFile>(new CUploadFile(strPath, std::move(pData), nLength));
}
