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

QString CSingleInstance::RuntimeFolder()
{
    // The session's runtime folder lives in memory: taking the lock there
    // costs no disk flush at start-up, as it does in a temporary folder on disk.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

QString CSingleInstance::LockPathFor(const QString &name)
{
    // One copy per user: another user's copy on the same machine is no conflict.
    return QDir(RuntimeFolder()).filePath(QStringLiteral("%1-%2.lock").arg(name).arg(getuid()));
}

QString CSingleInstance::ChannelPathFor(const QString &name)
{
    return QDir(RuntimeFolder()).filePath(QStringLiteral("%1-%2.socket").arg(name).arg(getuid()));
}

bool CSingleInstance::TryAcquire()
{
    // No waiting: a second copy ends at once.
    return m_pLock->tryLock(0);
}
