#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// A server role of this benchmark running in a child process: started, waited
// for until it listens, then waited for until it ends, when it reports its
// peak resident memory.
class CChildServer
{
public:
    // Starts this program with arguments; true once the child listens.
    bool Start(const QStringList &arguments);
    // Waits (bounded) for the child to end; true when it served every round.
    bool Finish(int timeoutMs);
    // The child's peak resident memory in bytes; 0 when it did not say.
    qint64 PeakResidentBytes() const { return m_nPeakResidentBytes; }

private:
    QProcess m_process;
    qint64 m_nPeakResidentBytes = 0;
};
