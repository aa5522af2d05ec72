#include "clidiscovery.h"

#include <algorithm>

#include <QEventLoop>
#include <QHostAddress>
#include <QTimer>

#include "clirequest.h"
#include "devicediscover.h"
#include "setupmanager.h"

CCliDiscovery::CCliDiscovery(const CCliRequest &request)
    : m_strAdapter(request.m_strAdapter), m_strLocalIp(request.m_strSweepIp),
      m_nWaitMs(request.m_nWaitMs)
{}

CCliDiscovery::EOutcome CCliDiscovery::Run()
{
    CSetupManager manager;
    if (!manager.StartDiscovery())
        return EOutcome::NoAdapter;
    if (!m_strAdapter.isEmpty()) {
        if (!manager.m_adapterDescriptions.contains(m_strAdapter))
            return EOutcome::UnknownAdapter;
        // What SelectAdapter does, without its fixed refresh wait.
        manager.m_strAdapterDescription = m_strAdapter;
        manager.m_strLocalIp = manager.m_networkChecker.GetAdapterAddress(m_strAdapter);
    }
    if (!m_strLocalIp.isEmpty())
        manager.m_strLocalIp = m_strLocalIp;
    if (!manager.m_pDiscover->IsListening())
        return EOutcome::CannotListen;

    m_strSweepIp = manager.m_strLocalIp;
    manager.m_pDiscover->SetSweepAddress(m_strSweepIp);
    manager.m_pDiscover->PostSweep();

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
