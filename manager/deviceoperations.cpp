#include "setupmanager.h"

#include <QStringList>

#include "commandcatalogue.h"

namespace {

// Errors of one FetchDeviceData belong together; a user action that starts
// while none runs begins with an empty error list.
class CBatchScope
{
public:
    explicit CBatchScope(bool &inBatch) : m_inBatch(inBatch), m_previous(inBatch)
    {
        m_inBatch = true;
    }
    ~CBatchScope() { m_inBatch = m_previous; }
    CBatchScope(const CBatchScope &) = delete;
    CBatchScope &operator=(const CBatchScope &) = delete;

private:
    bool &m_inBatch;
    bool m_previous;
};

} // namespace

void CSetupManager::BeginUserAction()
{
    // The text shown after a failure must be that failure's, not an old one's.
    if (!m_bInBatch)
        m_errors.clear();
}

int CSetupManager::SendCommand(qint32 id, const QStringList &arguments)
{
    const STP_CMD_TAG *entry = FindCommand(id);
    Q_ASSERT(entry);
    const int result = arguments.isEmpty()
                           ? m_commander.Execute(m_device.ip, *entry)
                           : m_commander.ExecuteWithArgs(m_device.ip, *entry, arguments);
    if (!result)
        AddCommandError(m_commander.GetCommand().error);
    return result;
}

int CSetupManager::SendUserCommand(qint32 id, const QStringList &arguments)
{
    BeginUserAction();
    return SendCommand(id, arguments);
}

int CSetupManager::GetDeviceName()
{
    return SendUserCommand(CMD_GET_DEVICE_NAME);
}

int CSetupManager::SetDeviceName(const QString &name)
{
    return SendUserCommand(CMD_SET_DEVICE_NAME, {name});
}

int CSetupManager::GetWifiOnOff()
{
    return SendUserCommand(CMD_GET_WIFI_ON_OFF);
}

int CSetupManager::SetWifiOnOff(int on)
{
    return SendUserCommand(CMD_SET_WIFI_ON_OFF,
                           {on ? QStringLiteral("ON") : QStringLiteral("OFF")});
}

int CSetupManager::GetApList()
{
    return SendUserCommand(CMD_GET_AP_LIST);
}

int CSetupManager::ConnectAp(const QString &essid, const QString &password,
                             const QString &encryptionkey)
{
    return SendUserCommand(CMD_CONNECT_AP, {essid, password, encryptionkey});
}

int CSetupManager::GetDeviceInfo()
{
    return SendUserCommand(CMD_GET_DEVICE_INFO);
}

int CSetupManager::DeleteProfile(const QString &essid)
{
    return SendUserCommand(CMD_DELETE_PROFILE, {essid});
}

int CSetupManager::GetLanSetup()
{
    return SendUserCommand(CMD_GET_LAN_SETUP);
}

int CSetupManager::GetWifiSetup()
{
    return SendUserCommand(CMD_GET_WIFI_SETUP);
}

int CSetupManager::SetLanSetup(const QString &setupmode, const QString &ipaddress,
                               const QString &subnetmask, const QString &defaultgateway,
                               const QString &primarydns, const QString &seconddns)
{
    return SendUserCommand(CMD_SET_LAN_SETUP, {setupmode, ipaddress, subnetmask, defaultgateway,
                                               primarydns, seconddns});
}

int CSetupManager::SetWifiSetup(const QString &setupmode, const QString &ipaddress,
                                const QString &subnetmask, const QString &defaultgateway,
                                const QString &primarydns, const QString &seconddns)
{
    return SendUserCommand(CMD_SET_WIFI_SETUP, {setupmode, ipaddress, subnetmask, defaultgateway,
                                                primarydns, seconddns});
}

int CSetupManager::UpdateFirmware()
{
    return SendUserCommand(CMD_UPDATE_FIRMWARE, {m_strLocalIp});
}

int CSetupManager::ResetRender()
{
    return SendUserCommand(CMD_RESET_RENDER);
}

int CSetupManager::RebootDevice()
{
    return SendUserCommand(CMD_REBOOT_DEVICE);
}

int CSetupManager::FetchDeviceData()
{
    BeginUserAction();
    CBatchScope batch(m_bInBatch);
    // All three run even after a failure, so every problem is reported.
    const int name = GetDeviceName();
    const int wifi = GetWifiOnOff();
    const int info = GetDeviceInfo();
    return name & wifi & info;
}

void CSetupManager::AddCommandError(const STP_CMD_ERROR_TAG &record)
{
    m_errors.append(record);
}

QString CSetupManager::GetCommandErrorText() const
{
    // Two records are enough to tell the user what went wrong. One a line:
    // run together, two texts read as one garbled sentence.
    QStringList texts;
    for (qsizetype i = 0; i < m_errors.size() && i < 2; ++i) {
        if (!m_errors.at(i).strText.isEmpty())
            texts.append(m_errors.at(i).strText);
    }
    return texts.join(QLatin1Char('\n'));
}
