#include "setupmanager.h"

#include <QMutexLocker>
#include <QThread>

#include "devicediscover.h"
#include "ipv4text.h"
#include "playerkinds.h"
#include "postedmessage.h"

CSetupManager::CSetupManager()
    : m_wait([](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); })
{}

CSetupManager::~CSetupManager()
{
    StopDiscovery();
}

void CSetupManager::SetMainWindow(QObject *mainWindow)
{
    m_pMainWindow = mainWindow;
}

QObject *CSetupManager::MainWindow() const
{
    return m_pMainWindow;
}

void CSetupManager::SetWaitFunction(WaitFunction wait)
{
    m_wait = std::move(wait);
}

void CSetupManager::Post(int message, qint64 wParam) const
{
    CPostedMessage::Post(m_pMainWindow, message, wParam);
}

QMutex &CSetupManager::DeviceListLock() const
{
    return m_pDiscover ? m_pDiscover->Lock() : m_fallbackLock;
}

int CSetupManager::StartDiscovery()
{
    // The host name's address stands in only where no adapter gives one, and
    // its lookup may wait for a name server: it is made only then, so a
    // resolver that does not answer never holds up the start.
    ReadAdapters();
    if (m_adapterDescriptions.isEmpty()) {
        m_strLocalIp = m_networkChecker.GetLocalAddress();
        return 0;
    }
    m_strAdapterDescription = DefaultAdapterLine();
    // Sweep the adapter the list shows as chosen. The host name usually
    // resolves to a loopback address here, which would sweep a range the user
    // never chose; it only stands in when that adapter has no address.
    m_strLocalIp = AdapterAddress(m_strAdapterDescription);
    if (m_strLocalIp.isEmpty())
        m_strLocalIp = m_networkChecker.GetLocalAddress();

    m_pDiscover = new CDeviceDiscover();
    m_pDiscover->SetParams(this, m_strLocalIp);
    m_pDiscover->start();
    ClearDeviceList();
    return 1;
}

void CSetupManager::StopDiscovery()
{
    // Discovery ends first, every receiver with it: a player handed over
    // after the list was emptied would outlive the search that found it, and
    // one handed over after the delete would reach freed memory.
    if (m_pDiscover) {
        m_pDiscover->Stop();
        delete m_pDiscover;
        m_pDiscover = nullptr;
    }
    m_adapterDescriptions.clear();
    m_adapterChoices.clear();
    ClearDeviceList();
    m_session.ForgetErrors();
}

void CSetupManager::ClearDeviceList()
{
    QMutexLocker locker(&DeviceListLock());
    m_devices.clear();
    m_deviceIps.fill(QString());
    m_turnedAway.clear();
}

// Called with the discovery lock held, so announcements arrive one at a time.
bool CSetupManager::AddDevice(QString model, QString name, QString ip, QString udn)
{
    // An empty slot marks the end of the list, so a player without a real
    // address would shift every later address off its list line, and a
    // click would then act on another player.
    if (!CIpv4Text::IsAddress(ip))
        return false;
    for (QString &slot : m_deviceIps) {
        if (slot.isEmpty()) {
            m_devices.append(CDeviceSummary(std::move(name), std::move(model), ip, std::move(udn)));
            slot = std::move(ip);
            return true;
        }
        if (slot == ip)
            return false; // a repeat
    }
    // Every slot is taken: the player is ignored until the next refresh, but
    // counted, so nobody takes the list for the whole site.
    if (m_turnedAway.size() < MAX_TURNED_AWAY)
        m_turnedAway.insert(ip);
    return false;
}

int CSetupManager::GetTurnedAwayCount() const
{
    QMutexLocker locker(&DeviceListLock());
    return static_cast<int>(m_turnedAway.size());
}

int CSetupManager::RefreshDevices()
{
    m_session.ForgetListedName();
    ClearDeviceList();
    if (!m_pDiscover)
        return 0;
    m_pDiscover->SetSweepAddress(m_strLocalIp);
    m_pDiscover->SetSweepRange(std::nullopt);
    m_pDiscover->PostSweep();

    bool found = false;
    for (int poll = 0; poll < REFRESH_POLLS && !found; ++poll) {
        m_wait(REFRESH_POLL_MS);
        QMutexLocker locker(&DeviceListLock());
        found = !m_devices.isEmpty();
    }
    if (found)
        m_wait(REFRESH_SETTLE_MS);
    return found ? 1 : 0;
}

void CSetupManager::ReadAdapters()
{
    m_adapterChoices = m_networkChecker.ReadAddressChoices();
    m_adapterDescriptions.clear();
    for (const CNetworkChecker::SAddressChoice &choice : m_adapterChoices)
        m_adapterDescriptions.append(choice.m_strLine);
}

QString CSetupManager::DefaultAdapterLine() const
{
    if (m_adapterChoices.empty())
        return {};
    // Of an adapter with several addresses, the one that stood for it alone
    // before each address had a line: a CLI run sweeps what it always swept.
    const QString &first = m_adapterChoices.front().m_strDescription;
    for (const CNetworkChecker::SAddressChoice &choice : m_adapterChoices) {
        if (choice.m_strDescription == first && choice.m_bAdapterAddress)
            return choice.m_strLine;
    }
    return m_adapterChoices.front().m_strLine;
}

QString CSetupManager::AdapterAddress(const QString &description) const
{
    for (const CNetworkChecker::SAddressChoice &choice : m_adapterChoices) {
        if (choice.m_strLine == description)
            return choice.m_strAddress;
    }
    for (const CNetworkChecker::SAddressChoice &choice : m_adapterChoices) {
        if (choice.m_bAdapterAddress && choice.m_strDescription == description)
            return choice.m_strAddress;
    }
    return {};
}

void CSetupManager::ReadAdaptersAgain()
{
    ReadAdapters();
    if (!m_adapterDescriptions.contains(m_strAdapterDescription))
        m_strAdapterDescription = DefaultAdapterLine();
    const QString address = AdapterAddress(m_strAdapterDescription);
    // Without any adapter now, the address searched before stays.
    if (!address.isEmpty())
        m_strLocalIp = address;
}

int CSetupManager::SelectAdapter(const QString &description)
{
    m_strAdapterDescription = description;
    m_strLocalIp = AdapterAddress(description);
    RefreshDevices();
    return 1;
}

bool CSetupManager::ChooseAdapter(const QString &description)
{
    const QString address = AdapterAddress(description);
    if (address.isEmpty())
        return false;
    m_strAdapterDescription = description;
    m_strLocalIp = address;
    return true;
}

void CSetupManager::ChooseLocalIp(const QString &ip)
{
    m_strLocalIp = ip;
}

bool CSetupManager::IsDiscoveryListening() const
{
    return m_pDiscover && m_pDiscover->IsListening();
}

bool CSetupManager::ListenAgain()
{
    if (!m_pDiscover)
        return false;
    if (m_pDiscover->IsListening())
        return true;
    // A discovery that failed its port has ended and heard nobody; a run
    // takes a new object.
    CDeviceDiscover *failed = m_pDiscover;
    failed->Stop();
    m_pDiscover = nullptr;
    delete failed;
    m_pDiscover = new CDeviceDiscover();
    m_pDiscover->SetParams(this, m_strLocalIp);
    m_pDiscover->start();
    return m_pDiscover->IsListening();
}

bool CSetupManager::SweepNow(const std::optional<CSweepRange> &range)
{
    if (!m_pDiscover)
        return false;
    m_pDiscover->SetSweepAddress(m_strLocalIp);
    m_pDiscover->SetSweepRange(range);
    m_pDiscover->PostSweep();
    return true;
}

int CSetupManager::SelectDevice(const QString &name, const QString &ip)
{
    m_session.ChooseListed(name, ip);

    qint32 modelClass = -1;
    {
        QMutexLocker locker(&DeviceListLock());
        for (const CDeviceSummary &device : std::as_const(m_devices)) {
            if (device.ip == ip) {
                modelClass = device.modelClass;
                break;
            }
        }
    }
    if (modelClass < 0)
        return 1; // gone since the list was filled: nothing to show

    m_session.TargetDevice(ip);
    if (modelClass == PlayerKinds::DEVICE_PAGE_CLASS) {
        const int result = m_session.FetchDeviceData();
        Post(WM_SHOW_DEVICE_PAGE, 1);
        return result;
    }
    Post(WM_SHOW_DEVICE_PAGE, 0);
    return 1;
}

void CSetupManager::UpdateDeviceName(int index, const QString &name)
{
    QMutexLocker locker(&DeviceListLock());
    if (index >= 0 && index < m_devices.size())
        m_devices[index].name = name;
}

QString CSetupManager::GetDeviceIp(int index) const
{
    QMutexLocker locker(&DeviceListLock());
    if (index < 0 || index >= MAX_DEVICES)
        return {};
    return m_deviceIps[static_cast<size_t>(index)];
}

QList<CDeviceSummary> CSetupManager::GetDevices() const
{
    QMutexLocker locker(&DeviceListLock());
    return m_devices;
}
