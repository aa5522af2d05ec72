#include "singleinstance.h"

#include <unistd.h>

#include <QDir>
#include <QLockFile>

CSingleInstance::CSingleInstance(const QString &name)
    : m_strLockPath(LockPathFor(name)), m_pLock(std::make_unique<QLockFile>(m_strLockPath))
{
    // A running copy holds the lock for as long as it runs; it is never stale.
    m_pLock->setStaleLockTime(0);
}

CSingleInstance::~CSingleInstance() = default;

QString CSingleInstance::LockPathFor(const QString &name)
{
    // One copy per user: another user's copy on the same machine is no conflict.
    return QDir(QDir::tempPath()).filePath(QStringLiteral("%1-%2.lock").arg(name).arg(getuid()));
}

QString CSingleInstance::ChannelPathFor(const QString &name)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString folder = runtime.isEmpty() ? QDir::tempPath() : runtime;
    return QDir(folder).filePath(QStringLiteral("%1-%2.socket").arg(name).arg(getuid()));
}

bool CSingleInstance::TryAcquire()
{
    // No waiting: a second copy ends at once.
    return m_pLock->tryLock(0);
}
