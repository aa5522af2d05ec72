#include "clidiscovery.h"

#include <algorithm>

#include <QEventLoop>
#include <QHostAddress>
#include <QTimer>

#include "clirequest.h"
#include "setupmanager.h"

CCliDiscovery::CCliDiscovery(const CCliRequest &request)
    : m_strAdapter(request.m_strAdapter), m_strLocalIp(request.m_strSweepIp),
      m_range(request.m_subnet), m_nWaitMs(request.m_nWaitMs)
{}

CCliDiscovery::EOutcome CCliDiscovery::Run()
{
    CSetupManager manager;
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
    QEventLoop loop;
    QTimer::singleShot(m_nWaitMs, &loop, &QEventLoop::quit);
    loop.exec();

    m_devices = manager.GetDevices();
    manager.StopDiscovery();
    // Answers arrive in a different order every time; scripts compare lists.
    std::stable_sort(
        m_devices.begin(), m_devices.end(), [](const CDeviceSummary &a, const CDeviceSummary &b) {
            return QHostAddress(a.ip).toIPv4Address() < QHostAddress(b.ip).toIPv4Address();
        });
    return EOutcome::Done;
}
