#include "sitediscovery.h"

#include <algorithm>

#include <QEventLoop>
#include <QHostAddress>
#include <QTimer>

#include "playerrequest.h"
#include "setupmanager.h"

CSiteDiscovery::CSiteDiscovery(const CPlayerRequest &request)
    : m_strAdapter(request.m_strAdapter), m_strLocalIp(request.m_strSweepIp),
      m_range(request.m_subnet), m_nWaitMs(request.m_nWaitMs),
      m_pManager(std::make_unique<CSetupManager>())
{}

CSiteDiscovery::~CSiteDiscovery() = default;

CSiteDiscovery::EOutcome CSiteDiscovery::Run()
{
    CSetupManager &manager = *m_pManager;
    if (!manager.StartDiscovery())
        return EOutcome::NoAdapter;
    if (!m_strAdapter.isEmpty() && !manager.ChooseAdapter(m_strAdapter))
        return EOutcome::UnknownAdapter;
    if (!m_strLocalIp.isEmpty())
        manager.ChooseLocalIp(m_strLocalIp);
    if (!manager.IsDiscoveryListening())
        return EOutcome::CannotListen;

    m_strSweepIp = manager.GetLocalIp();
    manager.SweepNow(m_range);
    // Players answer one by one over the whole wait; all of it is listened to.
    Listen(m_nWaitMs);

    m_devices = manager.GetDevices();
    m_nTurnedAway = manager.GetTurnedAwayCount();
    // Answers arrive in a different order every time; scripts compare lists.
    SortByAddress(m_devices);
    return EOutcome::Done;
}

QHash<QString, CDeviceSummary> CSiteDiscovery::FindAgain(const QSet<QString> &udns,
                                                         const QDeadlineTimer &deadline)
{
    QHash<QString, CDeviceSummary> found;
    while (found.size() < udns.size() && !deadline.hasExpired()) {
        // A player that moved would be listed at its old address as well;
        // only answers to this sweep count.
        m_pManager->ClearDevices();
        m_pManager->SweepNow(m_range);
        Listen(int(
            std::min<qint64>(RESWEEP_INTERVAL_MS, std::max<qint64>(0, deadline.remainingTime()))));
        // A udn answered from two addresses could be either: neither counts.
        const QList<CDeviceSummary> devices = m_pManager->GetDevices();
        const QSet<QString> twice = DuplicateUdns(devices);
        for (const CDeviceSummary &device : devices) {
            if (udns.contains(device.udn) && !twice.contains(device.udn))
                found.insert(device.udn, device);
        }
    }
    return found;
}

void CSiteDiscovery::SortByAddress(QList<CDeviceSummary> &devices)
{
    std::stable_sort(
        devices.begin(), devices.end(), [](const CDeviceSummary &a, const CDeviceSummary &b) {
            return QHostAddress(a.ip).toIPv4Address() < QHostAddress(b.ip).toIPv4Address();
        });
}

QSet<QString> CSiteDiscovery::DuplicateUdns(const QList<CDeviceSummary> &devices)
{
    QHash<QString, QString> firstAddress;
    QSet<QString> twice;
    for (const CDeviceSummary &device : devices) {
        // Without a udn there is nothing to claim.
        if (device.udn.isEmpty())
            continue;
        const auto it = firstAddress.constFind(device.udn);
        if (it == firstAddress.cend())
            firstAddress.insert(device.udn, device.ip);
        else if (*it != device.ip)
            twice.insert(device.udn);
    }
    return twice;
}

void CSiteDiscovery::Listen(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}
