#include "playertask.h"

#include <QStringList>

#include "playersession.h"
#include "wirevocabulary.h"

namespace {

using namespace WireVocabulary;

using CSetupFunction = int (CPlayerSession::*)(const QString &, const QString &, const QString &,
                                               const QString &, const QString &, const QString &);

const QString SETUP_STATIC = QStringLiteral("STATIC");
const QString SETUP_DHCP = QStringLiteral("DHCP");

// The five addresses of an interface's set-up, in the order they are sent.
QStringList SetupAddresses(const CDevice &device, bool wifi)
{
    if (wifi)
        return {device.wifiIpaddress, device.wifiSubnetmask, device.wifiDefaultgateway,
                device.wifiPrimarydns, device.wifiSeconddns};
    return {device.lanIpaddress, device.lanSubnetmask, device.lanDefaultgateway,
            device.lanPrimarydns, device.lanSeconddns};
}

CPlayerFields SetupFields(const QString &setupmode, const QStringList &addresses)
{
    CPlayerFields fields{{SETUPMODE, setupmode}};
    // The addresses follow the set-up mode in the order they are sent.
    for (qsizetype i = 1; i < qsizetype(IP_SETUP_FIELDS.size()); ++i)
        fields.append({IP_SETUP_FIELDS[i], addresses.value(i - 1)});
    return fields;
}

// For scripts a number and yes/no flags; a text the player garbled is null
// rather than a guess. People see the player's own texts.
QJsonValue NumberValue(const QString &text)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    return ok ? QJsonValue(number) : QJsonValue(QJsonValue::Null);
}

QJsonValue FlagValue(const QString &text)
{
    if (text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("0"))
        return false;
    return QJsonValue::Null;
}

CPlayerFields AccessPointFields(const CAccessPoint &ap, bool typed)
{
    if (typed) {
        return {{ESSID, ap.essid},
                {ENCRYPTIONKEY, ap.encryptionkey},
                {QUALITY, NumberValue(ap.quality)},
                {CONNECTED, FlagValue(ap.connected)},
                {SAVED, FlagValue(ap.saved)}};
    }
    return {{ESSID, ap.essid},
            {ENCRYPTIONKEY, ap.encryptionkey},
            {QUALITY, ap.quality},
            {CONNECTED, ap.connected},
            {SAVED, ap.saved}};
}

// Modes in the plan's words; a text the player garbled is shown as it came.
QString ModeText(const QString &setupmode)
{
    if (setupmode == SETUP_STATIC || setupmode == SETUP_DHCP)
        return setupmode.toLower();
    return setupmode;
}

} // namespace

CPlayerTask::CPlayerTask(CPlayerRequest request) : m_request(std::move(request)) {}

CPlayerResult CPlayerTask::Run(CPlayerSession &session, const QString &player) const
{
    // Every result names the player the commands went to.
    session.TargetDevice(player);
    switch (m_request.m_command) {
    case EPlayerCommand::Info:
        return Info(session);
    case EPlayerCommand::Name:
        return Name(session);
    case EPlayerCommand::Wifi:
        return Wifi(session);
    case EPlayerCommand::Aps:
        return Aps(session);
    case EPlayerCommand::Connect:
        return Connect(session);
    case EPlayerCommand::Forget:
        return Forget(session);
    case EPlayerCommand::Lan:
    case EPlayerCommand::Wlan: {
        const bool wifi = m_request.m_command == EPlayerCommand::Wlan;
        if (m_request.Setup() == ESetupAction::Show)
            return ShowSetup(session, wifi);
        return ChangeSetup(session, wifi);
    }
    case EPlayerCommand::Reboot:
        return Reboot(session);
    case EPlayerCommand::Reset:
        return Reset(session);
    case EPlayerCommand::Firmware:
        return Firmware(session);
    case EPlayerCommand::Inventory:
        return Inventory(session);
    default:
        return CPlayerResult::Failure(player, QStringLiteral("not a player command"));
    }
}

CPlayerResult CPlayerTask::Ok(const CPlayerSession &session, CPlayerFields fields)
{
    return CPlayerResult::Success(session.GetDevice().ip, std::move(fields));
}

QString CPlayerTask::ErrorText(const CPlayerSession &session, const QString &operation)
{
    // One line per player: the core's texts are joined on it.
    const QString text = session.GetCommandErrors().join(QStringLiteral("; "));
    return text.isEmpty() ? QStringLiteral("%1 failed").arg(operation) : text;
}

CPlayerResult CPlayerTask::Failed(const CPlayerSession &session, const QString &operation)
{
    return CPlayerResult::Failure(session.GetDevice().ip, ErrorText(session, operation));
}

CPlayerResult CPlayerTask::Info(CPlayerSession &session) const
{
    if (!session.FetchDeviceData())
        return Failed(session, QStringLiteral("getDeviceName, getWifiOnOff or getDeviceInfo"));
    const CDevice &d = session.GetDevice();
    return Ok(session, {{DEVICENAME, d.devicename},
                        {WIFIONOFF, d.wifionoff},
                        {LANIP, d.lanip},
                        {WIFIIP, d.wifiip},
                        {LANMAC, d.lanmac},
                        {WIFIMAC, d.wifimac},
                        {FIRMVERSION, d.firmversion},
                        {SERIALNUMBER, d.serialnumber}});
}

CPlayerResult CPlayerTask::Name(CPlayerSession &session) const
{
    const QString name = m_request.m_arguments.first();
    if (!session.SetDeviceName(name))
        return Failed(session, QStringLiteral("setDeviceName"));
    return Ok(session, {{DEVICENAME, name}});
}

CPlayerResult CPlayerTask::Wifi(CPlayerSession &session) const
{
    const int on = m_request.m_arguments.first() == QLatin1String("on") ? 1 : 0;
    if (!session.SetWifiOnOff(on))
        return Failed(session, QStringLiteral("setWifiOnOff"));
    return Ok(session, {{WIFIONOFF, on}});
}

CPlayerResult CPlayerTask::Aps(CPlayerSession &session) const
{
    if (!session.GetApList())
        return Failed(session, QStringLiteral("getApList"));
    QList<CPlayerFields> rows;
    for (const CAccessPoint &ap : std::as_const(session.GetAccessPoints()))
        rows.append(AccessPointFields(ap, m_request.m_bJson));
    return CPlayerResult::List(session.GetDevice().ip, rows);
}

CPlayerResult CPlayerTask::Connect(CPlayerSession &session) const
{
    const QStringList &args = m_request.m_arguments;
    if (!session.ConnectAp(args.at(0), args.at(1), args.at(2)))
        return Failed(session, QStringLiteral("connectAp"));
    // The password stays out of the output.
    return Ok(session, {{ESSID, args.at(0)}, {ENCRYPTIONKEY, args.at(2)}});
}

CPlayerResult CPlayerTask::Forget(CPlayerSession &session) const
{
    const QString essid = m_request.m_arguments.first();
    if (!session.DeleteProfile(essid))
        return Failed(session, QStringLiteral("deleteProfile"));
    if (m_request.m_bReset && !session.ResetRender())
        return Failed(session, QStringLiteral("resetRender"));
    return Ok(session, {{ESSID, essid}, {QStringLiteral("reset"), m_request.m_bReset}});
}

CPlayerResult CPlayerTask::ShowSetup(CPlayerSession &session, bool wifi) const
{
    if (!(wifi ? session.GetWifiSetup() : session.GetLanSetup()))
        return Failed(session,
                      wifi ? QStringLiteral("getWifiSetup") : QStringLiteral("getLanSetup"));
    const CDevice &d = session.GetDevice();
    return Ok(session, SetupFields(d.setupmode, SetupAddresses(d, wifi)));
}

// As the set-up dialog does it: "dhcp" sends the addresses the player reported,
// which it keeps for a later switch back to static.
CPlayerResult CPlayerTask::ChangeSetup(CPlayerSession &session, bool wifi) const
{
    QString setupmode = SETUP_STATIC;
    QStringList addresses = m_request.m_arguments.mid(1);
    if (m_request.Setup() == ESetupAction::Dhcp) {
        CPlayerResult shown = ShowSetup(session, wifi);
        if (!shown.m_bOk)
            return shown;
        setupmode = SETUP_DHCP;
        addresses = SetupAddresses(session.GetDevice(), wifi);
    }
    const CSetupFunction set = wifi ? &CPlayerSession::SetWifiSetup : &CPlayerSession::SetLanSetup;
    if (!(session.*set)(setupmode, addresses.at(0), addresses.at(1), addresses.at(2),
                        addresses.at(3), addresses.at(4)))
        return Failed(session,
                      wifi ? QStringLiteral("setWifiSetup") : QStringLiteral("setLanSetup"));
    if (m_request.m_bReboot && !session.RebootDevice())
        return Failed(session, QStringLiteral("rebootDevice"));
    CPlayerFields fields = SetupFields(setupmode, addresses);
    fields.append({QStringLiteral("reboot"), m_request.m_bReboot});
    return Ok(session, fields);
}

CPlayerResult CPlayerTask::Reboot(CPlayerSession &session) const
{
    if (!session.RebootDevice())
        return Failed(session, QStringLiteral("rebootDevice"));
    return Ok(session);
}

CPlayerResult CPlayerTask::Reset(CPlayerSession &session) const
{
    if (!session.ResetRender())
        return Failed(session, QStringLiteral("resetRender"));
    return Ok(session);
}

CPlayerResult CPlayerTask::Firmware(CPlayerSession &session) const
{
    if (!session.UpdateFirmware(m_request.m_strDownloadIp))
        return Failed(session, QStringLiteral("updateFirmware"));
    return Ok(session, {{DOWNLOADIP, m_request.m_strDownloadIp}});
}

CPlayerResult CPlayerTask::Inventory(CPlayerSession &session) const
{
    if (!session.FetchDeviceData())
        return Failed(session, QStringLiteral("getDeviceName, getWifiOnOff or getDeviceInfo"));
    // Both set-ups share the record's setupmode: each is taken as it arrives.
    if (!session.GetLanSetup())
        return Failed(session, QStringLiteral("getLanSetup"));
    const QString lanmode = ModeText(session.GetDevice().setupmode);
    if (!session.GetWifiSetup())
        return Failed(session, QStringLiteral("getWifiSetup"));
    const CDevice &d = session.GetDevice();
    return Ok(session, {{NAME, d.devicename},
                        {FIRMVERSION, d.firmversion},
                        {SERIALNUMBER, d.serialnumber},
                        {LANMAC, d.lanmac},
                        {WIFIMAC, d.wifimac},
                        {LANIP, d.lanip},
                        {WIFIIP, d.wifiip},
                        {WIFIONOFF, d.wifionoff == 1},
                        {QStringLiteral("lanmode"), lanmode},
                        {QStringLiteral("wlanmode"), ModeText(d.setupmode)}});
}
