#include "playersession.h"

#include <utility>

#include "commandcatalogue.h"
#include "ipv4text.h"

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

CPlayerSession::CPlayerSession() : m_commander(this) {}

void CPlayerSession::TargetDevice(const QString &ip)
{
    ForgetDevice();
    m_device.ip = ip;
}

void CPlayerSession::ChooseListed(const QString &name, const QString &ip)
{
    BeginUserAction();
    m_strListedName = name;
    m_strListedIp = ip;
    ForgetDevice();
}

// A field the new player does not answer must show empty rather than what
// another player said, and nothing of that player may be acted on.
void CPlayerSession::ForgetDevice()
{
    m_device = CDevice();
    m_accessPoints.clear();
    m_strConnectedEssid.clear();
    m_readFailures.clear();
}

void CPlayerSession::BeginUserAction()
{
    // The text shown after a failure must be that failure's, not an old one's.
    if (!m_bInBatch)
        ForgetErrors();
}

void CPlayerSession::ForgetErrors()
{
    m_errors.clear();
    m_strUnreached.clear();
}

int CPlayerSession::SendCommand(qint32 id, const QStringList &arguments)
{
    const STP_CMD_TAG *entry = FindCommand(id);
    Q_ASSERT(entry);
    const int result = arguments.isEmpty()
                           ? m_commander.Execute(m_device.ip, *entry)
                           : m_commander.ExecuteWithArgs(m_device.ip, *entry, arguments);
    if (!result) {
        AddCommandError(m_commander.GetCommand().error);
        // The player never saw the request: the user must learn which player
        // that was, as the cause alone does not say.
        if (!m_commander.RequestSent() && m_strUnreached.isEmpty())
            m_strUnreached = DescribeUnreached();
    }
    return result;
}

QString CPlayerSession::DescribeUnreached() const
{
    const QString &ip = m_device.ip;
    if (ip.isEmpty())
        return QStringLiteral("No player is chosen: nothing was sent.");
    // The name from the list the user chose from; the one the player told,
    // should the list no longer name the player the commands go to.
    QString name = m_strListedIp == ip ? m_strListedName : QString();
    if (name.isEmpty())
        name = m_device.devicename;
    if (name.isEmpty())
        return QStringLiteral("The player at %1 could not be reached.").arg(ip);
    return QStringLiteral("The player \"%1\" at %2 could not be reached.").arg(name, ip);
}

int CPlayerSession::SendUserCommand(qint32 id, const QStringList &arguments)
{
    BeginUserAction();
    return SendCommand(id, arguments);
}

int CPlayerSession::GetDeviceName()
{
    return SendUserCommand(CMD_GET_DEVICE_NAME);
}

int CPlayerSession::SetDeviceName(const QString &name)
{
    return SendUserCommand(CMD_SET_DEVICE_NAME, {name});
}

int CPlayerSession::GetWifiOnOff()
{
    return SendUserCommand(CMD_GET_WIFI_ON_OFF);
}

int CPlayerSession::SetWifiOnOff(int on)
{
    return SendUserCommand(CMD_SET_WIFI_ON_OFF,
                           {on ? QStringLiteral("ON") : QStringLiteral("OFF")});
}

int CPlayerSession::GetApList()
{
    return SendUserCommand(CMD_GET_AP_LIST);
}

int CPlayerSession::ConnectAp(const QString &essid, const QString &password,
                              const QString &encryptionkey)
{
    return SendUserCommand(CMD_CONNECT_AP, {essid, password, encryptionkey});
}

int CPlayerSession::GetDeviceInfo()
{
    return SendUserCommand(CMD_GET_DEVICE_INFO);
}

int CPlayerSession::DeleteProfile(const QString &essid)
{
    return SendUserCommand(CMD_DELETE_PROFILE, {essid});
}

int CPlayerSession::GetLanSetup()
{
    return SendUserCommand(CMD_GET_LAN_SETUP);
}

int CPlayerSession::GetWifiSetup()
{
    return SendUserCommand(CMD_GET_WIFI_SETUP);
}

int CPlayerSession::SetLanSetup(const QString &setupmode, const QString &ipaddress,
                                const QString &subnetmask, const QString &defaultgateway,
                                const QString &primarydns, const QString &seconddns)
{
    return SendUserCommand(CMD_SET_LAN_SETUP, {setupmode, ipaddress, subnetmask, defaultgateway,
                                               primarydns, seconddns});
}

int CPlayerSession::SetWifiSetup(const QString &setupmode, const QString &ipaddress,
                                 const QString &subnetmask, const QString &defaultgateway,
                                 const QString &primarydns, const QString &seconddns)
{
    return SendUserCommand(CMD_SET_WIFI_SETUP, {setupmode, ipaddress, subnetmask, defaultgateway,
                                                primarydns, seconddns});
}

// The player fetches from the address it is given; a name would send it to
// a resolver of its own, so only a dotted address is passed on, like the
// command channel's own.
int CPlayerSession::UpdateFirmware(const QString &downloadIp)
{
    if (!CIpv4Text::IsAddress(downloadIp)) {
        BeginUserAction();
        AddCommandError({1, QStringLiteral("error: socket connection failed")});
        return 0;
    }
    return SendUserCommand(CMD_UPDATE_FIRMWARE, {downloadIp});
}

int CPlayerSession::ResetRender()
{
    return SendUserCommand(CMD_RESET_RENDER);
}

int CPlayerSession::RebootDevice()
{
    return SendUserCommand(CMD_REBOOT_DEVICE);
}

int CPlayerSession::FetchDeviceData()
{
    BeginUserAction();
    CBatchScope batch(m_bInBatch);
    m_readFailures.clear();
    using Read = int (CPlayerSession::*)();
    const std::pair<qint32, Read> reads[] = {
        {CMD_GET_DEVICE_NAME, &CPlayerSession::GetDeviceName},
        {CMD_GET_WIFI_ON_OFF, &CPlayerSession::GetWifiOnOff},
        {CMD_GET_DEVICE_INFO, &CPlayerSession::GetDeviceInfo},
    };
    // All three run even after a failure, so every problem is reported.
    int result = 1;
    for (const auto &[id, read] : reads) {
        if ((this->*read)())
            continue;
        result = 0;
        // The page says which of its fields stay empty, and why.
        m_readFailures.append({id, m_commander.GetCommand().error.strText});
    }
    return result;
}

void CPlayerSession::AddCommandError(const STP_CMD_ERROR_TAG &record)
{
    m_errors.append(record);
}

QStringList CPlayerSession::GetCommandErrors() const
{
    // Two records are enough to tell the user what went wrong; the same text
    // twice (one cause failing each command of a batch) says nothing more.
    constexpr qsizetype SHOWN_RECORDS = 2;
    QStringList texts;
    for (qsizetype i = 0; i < m_errors.size() && i < SHOWN_RECORDS; ++i) {
        const QString &text = m_errors.at(i).strText;
        if (!text.isEmpty() && !texts.contains(text))
            texts.append(text);
    }
    return texts;
}

// One line each: glued together, two texts would read as one garbled one.
QString CPlayerSession::GetCommandErrorText() const
{
    return GetCommandErrors().join(QLatin1Char('\n'));
}
