#include "cliplayertask.h"

#include <QStringList>

#include "setupmanager.h"
#include "wirevocabulary.h"

namespace {

using namespace WireVocabulary;

using CSetupFunction = int (CSetupManager::*)(const QString &, const QString &, const QString &,
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

CCliFields SetupFields(const QString &setupmode, const QStringList &addresses)
{
    CCliFields fields{{SETUPMODE, setupmode}};
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

CCliFields AccessPointFields(const CAccessPoint &ap, bool typed)
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

CCliPlayerTask::CCliPlayerTask(CCliRequest request) : m_request(std::move(request)) {}

CCliPlayerResult CCliPlayerTask::Run(CSetupManager &manager, const QString &player) const
{
    // Every result names the player the commands went to.
    manager.TargetDevice(player);
    switch (m_request.m_command) {
    case ECliCommand::Info:
        return Info(manager);
    case ECliCommand::Name:
        return Name(manager);
    case ECliCommand::Wifi:
        return Wifi(manager);
    case ECliCommand::Aps:
        return Aps(manager);
    case ECliCommand::Connect:
        return Connect(manager);
    case ECliCommand::Forget:
        return Forget(manager);
    case ECliCommand::Lan:
    case ECliCommand::Wlan: {
        const bool wifi = m_request.m_command == ECliCommand::Wlan;
        if (m_request.Setup() == ECliSetup::Show)
            return ShowSetup(manager, wifi);
        return ChangeSetup(manager, wifi);
    }
    case ECliCommand::Reboot:
        return Reboot(manager);
    case ECliCommand::Reset:
        return Reset(manager);
    case ECliCommand::Firmware:
        return Firmware(manager);
    case ECliCommand::Inventory:
        return Inventory(manager);
    default:
        return CCliPlayerResult::Failure(player, QStringLiteral("not a player command"));
    }
}

CCliPlayerResult CCliPlayerTask::Ok(const CSetupManager &manager, CCliFields fields)
{
    return CCliPlayerResult::Success(manager.GetDevice().ip, std::move(fields));
}

QString CCliPlayerTask::ErrorText(const CSetupManager &manager, const QString &operation)
{
    // One line per player: the core's texts are joined on it.
    const QString text = manager.GetCommandErrors().join(QStringLiteral("; "));
    return text.isEmpty() ? QStringLiteral("%1 failed").arg(operation) : text;
}

CCliPlayerResult CCliPlayerTask::Failed(const CSetupManager &manager, const QString &operation)
{
    return CCliPlayerResult::Failure(manager.GetDevice().ip, ErrorText(manager, operation));
}

CCliPlayerResult CCliPlayerTask::Info(CSetupManager &manager) const
{
    if (!manager.FetchDeviceData())
        return Failed(manager, QStringLiteral("getDeviceName, getWifiOnOff or getDeviceInfo"));
    const CDevice &d = manager.GetDevice();
    return Ok(manager, {{DEVICENAME, d.devicename},
                        {WIFIONOFF, d.wifionoff},
                        {LANIP, d.lanip},
                        {WIFIIP, d.wifiip},
                        {LANMAC, d.lanmac},
                        {WIFIMAC, d.wifimac},
                        {FIRMVERSION, d.firmversion},
                        {SERIALNUMBER, d.serialnumber}});
}

CCliPlayerResult CCliPlayerTask::Name(CSetupManager &manager) const
{
    const QString name = m_request.m_arguments.first();
    if (!manager.SetDeviceName(name))
        return Failed(manager, QStringLiteral("setDeviceName"));
    return Ok(manager, {{DEVICENAME, name}});
}

CCliPlayerResult CCliPlayerTask::Wifi(CSetupManager &manager) const
{
    const int on = m_request.m_arguments.first() == QLatin1String("on") ? 1 : 0;
    if (!manager.SetWifiOnOff(on))
        return Failed(manager, QStringLiteral("setWifiOnOff"));
    return Ok(manager, {{WIFIONOFF, on}});
}

CCliPlayerResult CCliPlayerTask::Aps(CSetupManager &manager) const
{
    if (!manager.GetApList())
        return Failed(manager, QStringLiteral("getApList"));
    QList<CCliFields> rows;
    for (const CAccessPoint &ap : std::as_const(manager.GetAccessPoints()))
        rows.append(AccessPointFields(ap, m_request.m_bJson));
    return CCliPlayerResult::List(manager.GetDevice().ip, rows);
}

CCliPlayerResult CCliPlayerTask::Connect(CSetupManager &manager) const
{
    const QStringList &args = m_request.m_arguments;
    if (!manager.ConnectAp(args.at(0), args.at(1), args.at(2)))
        return Failed(manager, QStringLiteral("connectAp"));
    // The password stays out of the output.
    return Ok(manager, {{ESSID, args.at(0)}, {ENCRYPTIONKEY, args.at(2)}});
}

CCliPlayerResult CCliPlayerTask::Forget(CSetupManager &manager) const
{
    const QString essid = m_request.m_arguments.first();
    if (!manager.DeleteProfile(essid))
        return Failed(manager, QStringLiteral("deleteProfile"));
    if (m_request.m_bReset && !manager.ResetRender())
        return Failed(manager, QStringLiteral("resetRender"));
    return Ok(manager, {{ESSID, essid}, {QStringLiteral("reset"), m_request.m_bReset}});
}

CCliPlayerResult CCliPlayerTask::ShowSetup(CSetupManager &manager, bool wifi) const
{
    if (!(wifi ? manager.GetWifiSetup() : manager.GetLanSetup()))
        return Failed(manager,
                      wifi ? QStringLiteral("getWifiSetup") : QStringLiteral("getLanSetup"));
    const CDevice &d = manager.GetDevice();
    return Ok(manager, SetupFields(d.setupmode, SetupAddresses(d, wifi)));
}

// As the set-up dialog does it: "dhcp" sends the addresses the player reported,
// which it keeps for a later switch back to static.
CCliPlayerResult CCliPlayerTask::ChangeSetup(CSetupManager &manager, bool wifi) const
{
    QString setupmode = SETUP_STATIC;
    QStringList addresses = m_request.m_arguments.mid(1);
    if (m_request.Setup() == ECliSetup::Dhcp) {
        CCliPlayerResult shown = ShowSetup(manager, wifi);
        if (!shown.m_bOk)
            return shown;
        setupmode = SETUP_DHCP;
        addresses = SetupAddresses(manager.GetDevice(), wifi);
    }
    const CSetupFunction set = wifi ? &CSetupManager::SetWifiSetup : &CSetupManager::SetLanSetup;
    if (!(manager.*set)(setupmode, addresses.at(0), addresses.at(1), addresses.at(2),
                        addresses.at(3), addresses.at(4)))
        return Failed(manager,
                      wifi ? QStringLiteral("setWifiSetup") : QStringLiteral("setLanSetup"));
    if (m_request.m_bReboot && !manager.RebootDevice())
        return Failed(manager, QStringLiteral("rebootDevice"));
    CCliFields fields = SetupFields(setupmode, addresses);
    fields.append({QStringLiteral("reboot"), m_request.m_bReboot});
    return Ok(manager, fields);
}

CCliPlayerResult CCliPlayerTask::Reboot(CSetupManager &manager) const
{
    if (!manager.RebootDevice())
        return Failed(manager, QStringLiteral("rebootDevice"));
    return Ok(manager);
}

CCliPlayerResult CCliPlayerTask::Reset(CSetupManager &manager) const
{
    if (!manager.ResetRender())
        return Failed(manager, QStringLiteral("resetRender"));
    return Ok(manager);
}

CCliPlayerResult CCliPlayerTask::Firmware(CSetupManager &manager) const
{
    manager.ChooseLocalIp(m_request.m_strDownloadIp);
    if (!manager.UpdateFirmware())
        return Failed(manager, QStringLiteral("updateFirmware"));
    return Ok(manager, {{DOWNLOADIP, m_request.m_strDownloadIp}});
}

CCliPlayerResult CCliPlayerTask::Inventory(CSetupManager &manager) const
{
    if (!manager.FetchDeviceData())
        return Failed(manager, QStringLiteral("getDeviceName, getWifiOnOff or getDeviceInfo"));
    // Both set-ups share the record's setupmode: each is taken as it arrives.
    if (!manager.GetLanSetup())
        return Failed(manager, QStringLiteral("getLanSetup"));
    const QString lanmode = ModeText(manager.GetDevice().setupmode);
    if (!manager.GetWifiSetup())
        return Failed(manager, QStringLiteral("getWifiSetup"));
    const CDevice &d = manager.GetDevice();
    return Ok(manager, {{NAME, d.devicename},
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
