#pragma once

#include <memory>

#include <QString>

class QLockFile;

// Makes sure only one copy of the tool runs per user: the first copy holds a
// lock file named after the program (in the user's runtime folder when there
// is one) until it ends, and a copy that cannot take it knows another one
// runs. A lock left behind by a crashed copy is recognised as stale and taken
// over.
class CSingleInstance
{
public:
    explicit CSingleInstance(const QString &name);
    ~CSingleInstance();
    CSingleInstance(const CSingleInstance &) = delete;
    CSingleInstance &operator=(const CSingleInstance &) = delete;

    // True when this is the only copy; the lock is then held until destruction.
    bool TryAcquire();
    QString LockPath() const { return m_strLockPath; }
    static QString LockPathFor(const QString &name);
    // Where the running copy listens for a second one (CInstanceChannel):
    // the user's private runtime folder when there is one.
    static QString ChannelPathFor(const QString &name);

private:
    // XDG_RUNTIME_DIR, else the temporary folder.
    static QString RuntimeFolder();

    QString m_strLockPath;
    std::unique_ptr<QLockFile> m_pLock;
};
