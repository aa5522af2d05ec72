#include "simcommandhandler.h"

#include <array>
#include <utility>

#include <QHostAddress>

#include "simaccesspointlist.h"
#include "simprofilelist.h"
#include "simxml.h"

namespace {

const QString kOn = QStringLiteral("ON");
const QString kOff = QStringLiteral("OFF");

// The six elements of a LAN or Wi-Fi set-up with the field each maps to, in
// the order the player uses.
constexpr std::array<std::pair<const char *, QString CSimNetSetup::*>, 6> kSetupFields{{
    {"setupmode", &CSimNetSetup::m_strSetupMode},
    {"ipaddress", &CSimNetSetup::m_strIpAddress},
    {"subnetmask", &CSimNetSetup::m_strSubnetMask},
    {"defaultgateway", &CSimNetSetup::m_strDefaultGateway},
    {"primarydns", &CSimNetSetup::m_strPrimaryDns},
    {"seconddns", &CSimNetSetup::m_strSecondDns},
}};

void WriteSetup(const CSimNetSetup &setup, pugi::xml_node &reply)
{
    for (const auto &[name, field] : kSetupFields)
        SimXml::AddText(reply, name, setup.*field);
}

// All six must be present; otherwise the set-up stays as it was.
bool ReadSetup(const pugi::xml_node &request, CSimNetSetup &setup)
{
    CSimNetSetup sent;
    for (const auto &[name, field] : kSetupFields) {
        const auto value = SimXml::Text(request, name);
        if (!value)
            return false;
        sent.*field = *value;
    }
    setup = sent;
    return true;
}

} // namespace

CSimCommandOutcome CSimCommandHandler::Handle(const QString &operation,
                                              const pugi::xml_node &request, pugi::xml_node &reply)
{
    m_outcome = {};
    const FHandler handler = Find(operation);
    m_outcome.m_success = handler && (this->*handler)(request, reply);
    if (!m_outcome.m_success)
        m_outcome.m_action = CSimCommandOutcome::EAction::None;
    return m_outcome;
}

CSimCommandHandler::FHandler CSimCommandHandler::Find(const QString &operation)
{
    using C = CSimCommandHandler;
    static constexpr std::array<std::pair<const char *, FHandler>, 21> kHandlers{{
        {"getDeviceName", &C::GetDeviceName},
        {"setDeviceName", &C::SetDeviceName},
        {"getWifiOnOff", &C::GetWifiOnOff},
        {"setWifiOnOff", &C::SetWifiOnOff},
        {"getApList", &C::GetApList},
        {"connectAp", &C::ConnectAp},
        {"getDeviceInfo", &C::GetDeviceInfo},
        {"getProfileList", &C::GetProfileList},
        {"addProfile", &C::AddProfile},
        {"setProfile", &C::SetProfile},
        {"getProfile", &C::GetProfile},
        {"deleteProfile", &C::DeleteProfile},
        {"activeProfile", &C::ActiveProfile},
        {"getLanSetup", &C::GetLanSetup},
        {"getWifiSetup", &C::GetWifiSetup},
        {"setLanSetup", &C::SetLanSetup},
        {"setWifiSetup", &C::SetWifiSetup},
        {"updateFirmware", &C::UpdateFirmware},
        {"resetRender", &C::ResetRender},
        {"rebootDevice", &C::RebootDevice},
        {"getConnectedESSID", &C::GetConnectedEssid},
    }};
    for (const auto &[name, handler] : kHandlers) {
        if (operation == QLatin1String(name))
            return handler;
    }
    return nullptr;
}

bool CSimCommandHandler::GetDeviceName(const pugi::xml_node &, pugi::xml_node &reply)
{
    SimXml::AddText(reply, "devicename", m_state.m_strDeviceName);
    return true;
}

bool CSimCommandHandler::SetDeviceName(const pugi::xml_node &request, pugi::xml_node &)
{
    const auto name = SimXml::Text(request, "devicename");
    if (!name)
        return false;
    m_state.m_strDeviceName = *name;
    return true;
}

bool CSimCommandHandler::GetWifiOnOff(const pugi::xml_node &, pugi::xml_node &reply)
{
    SimXml::AddText(reply, "wifionoff", m_state.m_wifiOn ? kOn : kOff);
    return true;
}

bool CSimCommandHandler::SetWifiOnOff(const pugi::xml_node &request, pugi::xml_node &)
{
    const auto value = SimXml::Text(request, "wifionoff");
    if (!value || (*value != kOn && *value != kOff))
        return false;
    m_state.m_wifiOn = *value == kOn;
    return true;
}

bool CSimCommandHandler::GetApList(const pugi::xml_node &, pugi::xml_node &reply)
{
    CSimAccessPointList(m_state.m_accessPoints).Write(reply);
    return true;
}

bool CSimCommandHandler::ConnectAp(const pugi::xml_node &request, pugi::xml_node &)
{
    const auto essid = SimXml::Text(request, "essid");
    const auto password = SimXml::Text(request, "password");
    const auto key = SimXml::Text(request, "encryptionkey");
    if (!essid || !password || !key)
        return false;
    return CSimAccessPointList(m_state.m_accessPoints).Connect(*essid, *password, *key);
}

bool CSimCommandHandler::GetDeviceInfo(const pugi::xml_node &, pugi::xml_node &reply)
{
    SimXml::AddText(reply, "lanip", m_state.m_strLanIp);
    SimXml::AddText(reply, "wifiip", m_state.m_strWifiIp);
    SimXml::AddText(reply, "lanmac", m_state.m_strLanMac);
    SimXml::AddText(reply, "wifimac", m_state.m_strWifiMac);
    SimXml::AddText(reply, "firmversion", m_state.m_strFirmVersion);
    SimXml::AddText(reply, "serialnumber", m_state.m_strSerialNumber);
    return true;
}

bool CSimCommandHandler::GetProfileList(const pugi::xml_node &, pugi::xml_node &reply)
{
    CSimProfileList(m_state).WriteAll(reply);
    return true;
}

bool CSimCommandHandler::AddProfile(const pugi::xml_node &request, pugi::xml_node &)
{
    return CSimProfileList(m_state).Add(request);
}

bool CSimCommandHandler::SetProfile(const pugi::xml_node &request, pugi::xml_node &)
{
    return CSimProfileList(m_state).Set(request);
}

bool CSimCommandHandler::GetProfile(const pugi::xml_node &request, pugi::xml_node &reply)
{
    return CSimProfileList(m_state).WriteOne(request, reply);
}

bool CSimCommandHandler::DeleteProfile(const pugi::xml_node &request, pugi::xml_node &)
{
    const auto essid = SimXml::Text(request, "essid");
    if (!essid || !CSimAccessPointList(m_state.m_accessPoints).Forget(*essid))
        return false;
    CSimProfileList(m_state).Remove(*essid);
    return true;
}

bool CSimCommandHandler::ActiveProfile(const pugi::xml_node &request, pugi::xml_node &)
{
    const auto ssid = SimXml::Text(request, "ssid");
    return ssid && CSimProfileList(m_state).Activate(*ssid);
}

bool CSimCommandHandler::GetLanSetup(const pugi::xml_node &, pugi::xml_node &reply)
{
    WriteSetup(m_state.m_lanSetup, reply);
    return true;
}

bool CSimCommandHandler::GetWifiSetup(const pugi::xml_node &, pugi::xml_node &reply)
{
    WriteSetup(m_state.m_wifiSetup, reply);
    return true;
}

bool CSimCommandHandler::SetLanSetup(const pugi::xml_node &request, pugi::xml_node &)
{
    return ReadSetup(request, m_state.m_lanSetup);
}

bool CSimCommandHandler::SetWifiSetup(const pugi::xml_node &request, pugi::xml_node &)
{
    return ReadSetup(request, m_state.m_wifiSetup);
}

bool CSimCommandHandler::UpdateFirmware(const pugi::xml_node &request, pugi::xml_node &)
{
    const auto ip = SimXml::Text(request, "downloadip");
    QHostAddress address;
    // Only loopback: the simulator must never open a connection off this host.
    if (!ip || !address.setAddress(*ip) || address.protocol() != QAbstractSocket::IPv4Protocol ||
        !address.isLoopback())
        return false;
    m_outcome.m_action = CSimCommandOutcome::EAction::Download;
    m_outcome.m_strDownloadIp = address.toString();
    return true;
}

bool CSimCommandHandler::ResetRender(const pugi::xml_node &, pugi::xml_node &)
{
    m_outcome.m_action = CSimCommandOutcome::EAction::GoUnreachable;
    return true;
}

bool CSimCommandHandler::RebootDevice(const pugi::xml_node &, pugi::xml_node &)
{
    m_outcome.m_action = CSimCommandOutcome::EAction::GoUnreachable;
    return true;
}

bool CSimCommandHandler::GetConnectedEssid(const pugi::xml_node &, pugi::xml_node &reply)
{
    SimXml::AddText(reply, "essid", CSimAccessPointList(m_state.m_accessPoints).ConnectedEssid());
    return true;
}
