#include "simregistry.h"

#include <algorithm>
#include <chrono>

namespace {

template <typename T> void AppendCapped(QList<T> &list, const T &item, int cap)
{
    if (list.size() >= cap)
        list.removeFirst();
    list.append(item);
}

} // namespace

void CSimRegistry::Reset(const QList<CSimPlayerConfig> &players)
{
    const std::lock_guard lock(m_mutex);
    m_records.clear();
    for (const CSimPlayerConfig &config : players) {
        CSimPlayerRecord record;
        record.m_strModel = config.m_strModel;
        record.m_strUdn = config.m_strUdn;
        record.m_state = config.m_state;
        record.m_state.m_strDeviceName = config.m_strName;
        record.m_faults = config.m_faults;
        record.m_strAddress = config.m_strAddress;
        m_records.insert(config.m_strAddress, record);
    }
    m_changed.notify_all();
}

bool CSimRegistry::Contains(const QString &ip) const
{
    const std::lock_guard lock(m_mutex);
    return m_records.contains(ip);
}

void CSimRegistry::Update(const QString &ip, const std::function<void(CSimPlayerRecord &)> &f)
{
    const std::lock_guard lock(m_mutex);
    const auto it = m_records.find(ip);
    if (it == m_records.end())
        return;
    f(*it);
    m_changed.notify_all();
}

bool CSimRegistry::WaitUntil(const QString &ip, int timeoutMs,
                             const std::function<bool(const CSimPlayerRecord &)> &ready) const
{
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(qMax(0, timeoutMs));
    std::unique_lock lock(m_mutex);
    return m_changed.wait_until(lock, deadline, [&] {
        const auto it = m_records.constFind(ip);
        return ready(it == m_records.cend() ? m_empty : *it);
    });
}

QList<CSimFault> CSimRegistry::TakeFaults(const QString &ip, CSimFault::EService service,
                                          const QString &operation)
{
    QList<CSimFault> hits;
    Update(ip, [&](CSimPlayerRecord &record) {
        for (CSimFault &fault : record.m_faults) {
            const bool kindTaken = std::any_of(hits.cbegin(), hits.cend(), [&](const auto &hit) {
                return hit.m_kind == fault.m_kind;
            });
            if (kindTaken || !fault.Hits(service, operation))
                continue;
            hits.append(fault);
            if (fault.m_count > 0)
                --fault.m_count;
        }
        record.m_faults.removeIf([](const CSimFault &fault) { return fault.m_count == 0; });
    });
    return hits;
}

bool CSimRegistry::HasFault(const QString &ip, CSimFault::EKind kind) const
{
    return Read(ip, [kind](const CSimPlayerRecord &record) {
        return std::any_of(record.m_faults.cbegin(), record.m_faults.cend(),
                           [kind](const CSimFault &fault) { return fault.m_kind == kind; });
    });
}

void CSimRegistry::AddFault(const QString &ip, const CSimFault &fault)
{
    Update(ip, [&fault](CSimPlayerRecord &record) {
        // A fault of the same kind for the same operation is replaced, not stacked.
        record.m_faults.removeIf([&fault](const CSimFault &old) {
            return old.m_kind == fault.m_kind && old.m_strOperation == fault.m_strOperation;
        });
        record.m_faults.append(fault);
    });
}

void CSimRegistry::RecordRequest(const QString &ip, const QByteArray &raw)
{
    Update(ip, [&raw](CSimPlayerRecord &record) {
        AppendCapped(record.m_requests, raw, SimLimits::kMaxRecordedRequests);
    });
}

void CSimRegistry::RecordDownload(const QString &ip, const CSimDownload &download)
{
    Update(ip, [&download](CSimPlayerRecord &record) {
        AppendCapped(record.m_downloads, download, SimLimits::kMaxRecordedDownloads);
    });
}

int CSimRegistry::UnreachableMs() const
{
    const std::lock_guard lock(m_mutex);
    return m_unreachableMs;
}

void CSimRegistry::SetUnreachableMs(int ms)
{
    const std::lock_guard lock(m_mutex);
    m_unreachableMs = ms;
}
