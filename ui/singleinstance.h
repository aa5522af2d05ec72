#pragma once

#include <memory>

#include <QString>

class QLockFile;

// Makes sure only one copy of the tool runs per user: the first copy holds a
// lock file named after the program, in a folder of the user's own
// (CRuntimeFolder), until it ends, and a copy that cannot take it knows
// another one runs. A lock left behind by a crashed copy is recognised as
// stale and taken over.
class CSingleInstance
{
public:
    enum class EOutcome
    {
        // This is the only copy; the lock is held until destruction.
        Acquired,
        // A copy of the same user holds the lock.
        AnotherCopyRuns,
        // The lock cannot be had: its folder is not private, or the process
        // holding it is another user's. ErrorText() says which.
        Refused
    };

    explicit CSingleInstance(const QString &name);
    ~CSingleInstance();
    CSingleInstance(const CSingleInstance &) = delete;
    CSingleInstance &operator=(const CSingleInstance &) = delete;

    [[nodiscard]] EOutcome Acquire();
    // True when this is the only copy.
    [[nodiscard]] bool TryAcquire() { return Acquire() == EOutcome::Acquired; }
    // Why the last Acquire() refused.
    QString ErrorText() const { return m_strError; }
    // Empty when there is no private folder to put it in.
    QString LockPath() const { return m_strLockPath; }
    static QString LockPathFor(const QString &name);
    // Where the running copy listens for a second one (CInstanceChannel),
    // beside the lock; empty as the lock's path is.
    static QString ChannelPathFor(const QString &name);

private:
    static QString PathFor(const QString &name, const char *suffix, QString *error);
    EOutcome Refuse(const QString &text);
    EOutcome WhenHeld();

    QString m_strLockPath;
    QString m_strError;
    std::unique_ptr<QLockFile> m_pLock;
};
