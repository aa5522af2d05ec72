// CNetworkChecker: lists the computer's network adapters and their IPv4 addresses.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

#include "adapterinfo.h"
#include "adaptersource.h"

// The host's own addresses: the address its name resolves to, and the list of
// IPv4 adapters the user picks the network to search from.
class CNetworkChecker
{
public:
    // Resolves the local host name; an empty list means the lookup failed.
    using HostLookup = std::function<QList<QHostAddress>()>;

    // One line of the window's adapter list: an adapter, or one of its
    // addresses when it has several.
    struct SAddressChoice
    {
        // "eth0", or "eth0 — 192.168.1.5/24" for each address of an adapter
        // with several.
        QString m_strLine;
        // The adapter's own description, as Adapters() gives it.
        QString m_strDescription;
        QString m_strAddress;
        QString m_strMask;
        // The address Adapters() gives the adapter: its last one.
        bool m_bAdapterAddress = false;
    };

    // How long the host name's lookup is waited for. The name normally
    // resolves from local files at once; a name server that does not answer
    // would otherwise hold the caller for the resolver's whole time-out
    // (by default 5 s a try, several tries), the user interface included.
    static constexpr int HOST_LOOKUP_MS = 1000;

    CNetworkChecker();
    explicit CNetworkChecker(std::unique_ptr<CAdapterSource> source, HostLookup lookup = {});

    // The first IPv4 address of the host name. After a failed lookup the
    // previous answer stands (empty before the first success). The system's
    // lookup is waited for at most HOST_LOOKUP_MS.
    QString GetLocalAddress();
    // Appends one record per interface that has an IPv4 address, loopback
    // last. The list is not emptied first: every call adds a full set.
    void EnumerateAdapters();
    // Enumerates, then appends the description of every record held.
    void GetAdapterList(QStringList &list);
    // The address of the first record whose description matches exactly
    // (case-sensitive), or empty.
    QString GetAdapterAddress(const QString &description) const;

    const std::vector<CAdapterInfo> &Adapters() const { return m_adapters; }

    // Reads the interfaces afresh (nothing is kept): one choice per IPv4
    // address of every interface that has one, in the system's order, loopback
    // last.
    std::vector<SAddressChoice> ReadAddressChoices() const;
    // "/24" for a contiguous mask, "/255.0.255.0" for any other text.
    static QString PrefixText(const QString &mask);

    static QString FormatMac(const QByteArray &hardwareAddress);
    static QList<QHostAddress> LookUpLocalHost();
    // Runs lookup on a thread of its own and waits at most milliseconds for
    // it; a lookup not done by then counts as failed and is left to end in
    // its own time, its answer unused.
    static HostLookup WithDeadline(HostLookup lookup, int milliseconds);

private:
    static CAdapterInfo ToAdapterInfo(const CAdapterSource::Record &record);
    static QString Description(const CAdapterSource::Record &record);

    std::unique_ptr<CAdapterSource> m_pSource;
    HostLookup m_lookup;
    QString m_strHostIp;
    std::vector<CAdapterInfo> m_adapters;
};
