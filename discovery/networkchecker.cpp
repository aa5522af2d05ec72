#include "networkchecker.h"

#include <utility>

#include <QHostInfo>

#include "systemadaptersource.h"

CNetworkChecker::CNetworkChecker()
    : CNetworkChecker(std::make_unique<CSystemAdapterSource>(), &CNetworkChecker::LookUpLocalHost)
{}

CNetworkChecker::CNetworkChecker(std::unique_ptr<CAdapterSource> source, HostLookup lookup)
    : m_pSource(std::move(source)), m_lookup(std::move(lookup))
{
    if (!m_lookup)
        m_lookup = &CNetworkChecker::LookUpLocalHost;
}

QList<QHostAddress> CNetworkChecker::LookUpLocalHost()
{
    // The system resolver bounds this wait with its own time-out and attempt
    // count; the host name normally resolves from local files at once.
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

CAdapterInfo CNetworkChecker::ToAdapterInfo(const CAdapterSource::Record &record)
{
    // An interface with several IPv4 addresses is shown with its last one.
    const CAdapterSource::Ipv4Entry &entry = record.m_ipv4.constLast();
    const QString description =
        record.m_strHumanReadableName.isEmpty() ? record.m_strName : record.m_strHumanReadableName;
    return CAdapterInfo(description, record.m_strName, FormatMac(record.m_hardwareAddress),
                        entry.m_strAddress, entry.m_strMask);
}
