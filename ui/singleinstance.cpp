#include "singleinstance.h"

#include <optional>

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLockFile>

#include "runtimefolder.h"

namespace {

// Who owns path; nothing when it cannot be examined.
std::optional<uid_t> OwnerOf(const QString &path)
{
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return info.st_uid;
}

} // namespace

CSingleInstance::CSingleInstance(const QString &name)
{
    // In the body: the error is written to, and members come to life in order.
    m_strLockPath = PathFor(name, "lock", &m_strError);
}

CSingleInstance::~CSingleInstance() = default;

QString CSingleInstance::PathFor(const QString &name, const char *suffix, QString *error)
{
    const QString folder = CRuntimeFolder::Find(error);
    if (folder.isEmpty())
        return {};
    // One copy per user: another user's copy on the same machine is no conflict.
    return QDir(folder).filePath(
        QStringLiteral("%1-%2.%3").arg(name).arg(getuid()).arg(QLatin1String(suffix)));
}

QString CSingleInstance::LockPathFor(const QString &name)
{
    QString error;
    return PathFor(name, "lock", &error);
}

QString CSingleInstance::ChannelPathFor(const QString &name)
{
    QString error;
    return PathFor(name, "socket", &error);
}

CSingleInstance::EOutcome CSingleInstance::Refuse(const QString &text)
{
    m_strError = text;
    return EOutcome::Refused;
}

CSingleInstance::EOutcome CSingleInstance::Acquire()
{
    if (m_strLockPath.isEmpty())
        return EOutcome::Refused; // the folder's error is kept from construction
    if (!m_pLock) {
        m_pLock = std::make_unique<QLockFile>(m_strLockPath);
        // A running copy holds the lock for as long as it runs; it is never stale.
        m_pLock->setStaleLockTime(0);
    }
    // No waiting: a second copy ends at once.
    if (m_pLock->tryLock(0))
        return EOutcome::Acquired;
    switch (m_pLock->error()) {
    case QLockFile::LockFailedError:
        return WhenHeld();
    case QLockFile::PermissionError:
        return Refuse(QStringLiteral("The single-instance lock %1 cannot be taken: permission "
                                     "denied.")
                          .arg(m_strLockPath));
    default:
        return Refuse(
            QStringLiteral("The single-instance lock %1 cannot be taken.").arg(m_strLockPath));
    }
}

// Only a copy of this user's may keep this one from running silently: a lock
// another user made or holds means someone is in the way, and the user is
// told who instead of seeing nothing happen.
CSingleInstance::EOutcome CSingleInstance::WhenHeld()
{
    const uid_t self = ::geteuid();
    qint64 pid = 0;
    m_pLock->getLockInfo(&pid, nullptr, nullptr);
    std::optional<uid_t> holder = OwnerOf(m_strLockPath);
    // On Linux a process's folder belongs to the user it runs as.
    if ((!holder || *holder == self) && pid > 0)
        holder = OwnerOf(QStringLiteral("/proc/%1").arg(pid));
    if (!holder || *holder == self)
        return EOutcome::AnotherCopyRuns;
    return Refuse(QStringLiteral("The single-instance lock %1 is held by process %2 of another "
                                 "user, %3; this copy does not start.")
                      .arg(m_strLockPath)
                      .arg(pid)
                      .arg(CRuntimeFolder::UserName(*holder)));
}
