#include "networkchecker.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include <QHostInfo>

#include "systemadaptersource.h"

CNetworkChecker::CNetworkChecker()
    : CNetworkChecker(std::make_unique<CSystemAdapterSource>(),
                      WithDeadline(&CNetworkChecker::LookUpLocalHost, HOST_LOOKUP_MS))
{}

CNetworkChecker::CNetworkChecker(std::unique_ptr<CAdapterSource> source, HostLookup lookup)
    : m_pSource(std::move(source)), m_lookup(std::move(lookup))
{
    if (!m_lookup)
        m_lookup = WithDeadline(&CNetworkChecker::LookUpLocalHost, HOST_LOOKUP_MS);
}

CNetworkChecker::HostLookup CNetworkChecker::WithDeadline(HostLookup lookup, int milliseconds)
{
    return [lookup = std::move(lookup), milliseconds] {
        // Shared with the thread, which may outlive this call and the checker.
        struct SState
        {
            std::mutex m_lock;
            std::condition_variable m_done;
            bool m_bDone = false;
            QList<QHostAddress> m_addresses;
        };
        const auto state = std::make_shared<SState>();
        std::thread([state, lookup] {
            QList<QHostAddress> addresses = lookup();
            const std::lock_guard<std::mutex> locker(state->m_lock);
            state->m_addresses = std::move(addresses);
            state->m_bDone = true;
            state->m_done.notify_all();
        }).detach();
        std::unique_lock<std::mutex> locker(state->m_lock);
        if (!state->m_done.wait_for(locker, std::chrono::milliseconds(milliseconds),
                                    [&state] { return state->m_bDone; }))
            return QList<QHostAddress>();
        return state->m_addresses;
    };
}

QList<QHostAddress> CNetworkChecker::LookUpLocalHost()
{
    // Blocks for as long as the system resolver lets it; the default checker
    // waits for it only HOST_LOOKUP_MS.
    const QHostInfo info = QHostInfo::fromName(QHostInfo::localHostName());
    if (info.error() != QHostInfo::NoError)
        return {};
    return info.addresses();
}

QString CNetworkChecker::GetLocalAddress()
{
    const QList<QHostAddress> addresses = m_lookup();
    for (const QHostAddress &address : addresses) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol) {
            m_strHostIp = address.toString();
            break;
        }
    }
    return m_strHostIp;
}

void CNetworkChecker::EnumerateAdapters()
{
    const QList<CAdapterSource::Record> records = m_pSource->Interfaces();
    // Players on the real network come first; loopback only serves simulated
    // players on this machine.
    for (const bool loopback : {false, true}) {
        for (const CAdapterSource::Record &record : records) {
            if (record.m_loopback == loopback && !record.m_ipv4.isEmpty())
                m_adapters.push_back(ToAdapterInfo(record));
        }
    }
}

void CNetworkChecker::GetAdapterList(QStringList &list)
{
    EnumerateAdapters();
    for (const CAdapterInfo &adapter : m_adapters)
        list.append(adapter.Description());
}

QString CNetworkChecker::GetAdapterAddress(const QString &description) const
{
    for (const CAdapterInfo &adapter : m_adapters) {
        if (adapter.Description() == description)
            return adapter.IpAddress();
    }
    return {};
}

QString CNetworkChecker::FormatMac(const QByteArray &hardwareAddress)
{
    return QString::fromLatin1(hardwareAddress.toHex('-'));
}

QString CNetworkChecker::Description(const CAdapterSource::Record &record)
{
    return record.m_strHumanReadableName.isEmpty() ? record.m_strName
                                                   : record.m_strHumanReadableName;
}

CAdapterInfo CNetworkChecker::ToAdapterInfo(const CAdapterSource::Record &record)
{
    // An interface with several IPv4 addresses is shown with its last one.
    const CAdapterSource::Ipv4Entry &entry = record.m_ipv4.constLast();
    return CAdapterInfo(Description(record), record.m_strName, FormatMac(record.m_hardwareAddress),
                        entry.m_strAddress, entry.m_strMask);
}

std::vector<CNetworkChecker::SAddressChoice> CNetworkChecker::ReadAddressChoices() const
{
    std::vector<SAddressChoice> choices;
    const QList<CAdapterSource::Record> records = m_pSource->Interfaces();
    for (const bool loopback : {false, true}) {
        for (const CAdapterSource::Record &record : records) {
            if (record.m_loopback != loopback)
                continue;
            const QString description = Description(record);
            const qsizetype count = record.m_ipv4.size();
            for (qsizetype entry = 0; entry < count; ++entry) {
                const CAdapterSource::Ipv4Entry &ipv4 = record.m_ipv4.at(entry);
                SAddressChoice choice;
                choice.m_strDescription = description;
                // The common single address keeps the adapter's plain line.
                choice.m_strLine = count == 1 ? description
                                              : QStringLiteral("%1 \u2014 %2%3")
                                                    .arg(description, ipv4.m_strAddress,
                                                         PrefixText(ipv4.m_strMask));
                choice.m_strAddress = ipv4.m_strAddress;
                choice.m_strMask = ipv4.m_strMask;
                choice.m_bAdapterAddress = entry == count - 1;
                choices.push_back(std::move(choice));
            }
        }
    }
    return choices;
}

QString CNetworkChecker::PrefixText(const QString &mask)
{
    const QHostAddress address(mask);
    if (address.protocol() == QAbstractSocket::IPv4Protocol) {
        const quint32 bits = address.toIPv4Address();
        // Contiguous: the ones, inverted, are a run of low bits.
        const quint32 inverted = ~bits;
        if ((inverted & (inverted + 1)) == 0) {
            int prefix = 0;
            for (quint32 rest = bits; rest != 0; rest <<= 1)
                ++prefix;
            return QStringLiteral("/") + QString::number(prefix);
        }
    }
    return QStringLiteral("/") + mask;
}
