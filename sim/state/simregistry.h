#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>

#include <QHash>
#include <QList>
#include <QString>

#include "simplayerconfig.h"
#include "simlimits.h"
#include "simplayerrecord.h"

// The players' shared records, guarded by one lock. The worker thread writes
// them as requests arrive; tests read them and wait on them, always bounded.
// Standard locks rather than Qt's, so race checkers can see the hand-over.
class CSimRegistry
{
public:
    void Reset(const QList<CSimPlayerConfig> &players);
    bool Contains(const QString &ip) const;

    // Runs f on a copy-free view of the record under the lock; an unknown
    // address gets an empty record.
    template <typename F> auto Read(const QString &ip, F f) const
    {
        const std::lock_guard lock(m_mutex);
        const auto it = m_records.constFind(ip);
        return f(it == m_records.cend() ? m_empty : *it);
    }

    // Runs f on the record under the lock and wakes every waiter; unknown
    // addresses are ignored.
    void Update(const QString &ip, const std::function<void(CSimPlayerRecord &)> &f);

    // Waits until ready(record) holds; false when the time-out ran out first.
    bool WaitUntil(const QString &ip, int timeoutMs,
                   const std::function<bool(const CSimPlayerRecord &)> &ready) const;

    // Takes one hit from each matching fault (the first of each kind) and
    // drops those that are used up.
    QList<CSimFault> TakeFaults(const QString &ip, CSimFault::EService service,
                                const QString &operation);
    bool HasFault(const QString &ip, CSimFault::EKind kind) const;
    void AddFault(const QString &ip, const CSimFault &fault);

    void RecordRequest(const QString &ip, const QByteArray &raw);
    void RecordDownload(const QString &ip, const CSimDownload &download);

    int UnreachableMs() const;
    void SetUnreachableMs(int ms);

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    QHash<QString, CSimPlayerRecord> m_records;
    const CSimPlayerRecord m_empty;
    int m_unreachableMs = SimLimits::kDefaultUnreachableMs;
};
