#include "planstate.h"

#include "plan.h"
#include "playertask.h"
#include "ipv4text.h"
#include "playersession.h"

namespace {

const QString STATIC = QStringLiteral("static");
const QString DHCP = QStringLiteral("dhcp");
// What a player reports for an interface without an address.
const QString NO_ADDRESS = QStringLiteral("0.0.0.0");

void AddSetup(CPlanValues &values, const QString &prefix, const CPlanSetup &setup)
{
    values.append({prefix + QStringLiteral(".mode"), setup.m_bDhcp ? DHCP : STATIC});
    if (setup.m_bDhcp)
        return;
    values.append({prefix + QStringLiteral(".ip"), setup.m_strIp});
    values.append({prefix + QStringLiteral(".mask"), setup.m_strMask});
    values.append({prefix + QStringLiteral(".gateway"), setup.m_strGateway});
    values.append({prefix + QStringLiteral(".dns1"), setup.m_strDns1});
    values.append({prefix + QStringLiteral(".dns2"), setup.m_strDns2});
}

void StoreSetup(QHash<QString, QString> &values, const QString &prefix, const QString &setupmode,
                const QStringList &addresses)
{
    const QString mode = setupmode.toLower();
    values.insert(prefix + QStringLiteral(".mode"),
                  mode == STATIC || mode == DHCP ? mode : setupmode);
    const QStringList names = {QStringLiteral(".ip"), QStringLiteral(".mask"),
                               QStringLiteral(".gateway"), QStringLiteral(".dns1"),
                               QStringLiteral(".dns2")};
    for (qsizetype i = 0; i < names.size(); ++i)
        values.insert(prefix + names.at(i), addresses.value(i));
}

} // namespace

CPlanState CPlanState::Read(CPlayerSession &session, const QString &player, bool withAccessPoint)
{
    CPlanState state;
    state.m_strPlayer = player;
    session.TargetDevice(player);
    const auto fail = [&](const QString &operation) {
        state.m_strError = CPlayerTask::ErrorText(session, operation);
        return state;
    };
    if (!session.FetchDeviceData())
        return fail(QStringLiteral("getDeviceName, getWifiOnOff or getDeviceInfo"));
    if (!session.GetLanSetup())
        return fail(QStringLiteral("getLanSetup"));
    // Both set-ups share the record's setupmode: each is taken as it arrives.
    const QString lanmode = session.GetDevice().setupmode;
    if (!session.GetWifiSetup())
        return fail(QStringLiteral("getWifiSetup"));
    const CDevice &d = session.GetDevice();
    state.m_device = d;
    state.m_strLanMac = d.lanmac.toUpper();
    state.m_values.insert(QStringLiteral("name"), d.devicename);
    state.m_values.insert(QStringLiteral("wifi"),
                          d.wifionoff == 1 ? QStringLiteral("on") : QStringLiteral("off"));
    state.m_values.insert(QStringLiteral("firmware.version"), d.firmversion);
    StoreSetup(
        state.m_values, QStringLiteral("lan"), lanmode,
        {d.lanIpaddress, d.lanSubnetmask, d.lanDefaultgateway, d.lanPrimarydns, d.lanSeconddns});
    StoreSetup(state.m_values, QStringLiteral("wlan"), d.setupmode,
               {d.wifiIpaddress, d.wifiSubnetmask, d.wifiDefaultgateway, d.wifiPrimarydns,
                d.wifiSeconddns});
    if (withAccessPoint) {
        if (!session.GetApList())
            return fail(QStringLiteral("getApList"));
        QString connected;
        for (const CAccessPoint &ap : session.GetAccessPoints()) {
            if (ap.connected == QLatin1String("1"))
                connected = ap.essid;
        }
        state.m_values.insert(QStringLiteral("accessPoint.essid"), connected);
    }
    state.m_bRead = true;
    return state;
}

CPlanValues CPlanState::Wanted(const CPlanEntry &entry)
{
    CPlanValues values;
    if (entry.m_name)
        values.append({QStringLiteral("name"), *entry.m_name});
    if (entry.m_wifiOn)
        values.append({QStringLiteral("wifi"),
                       *entry.m_wifiOn ? QStringLiteral("on") : QStringLiteral("off")});
    if (entry.m_accessPoint)
        values.append({QStringLiteral("accessPoint.essid"), entry.m_accessPoint->m_strEssid});
    if (entry.m_firmware)
        values.append({QStringLiteral("firmware.version"), entry.m_firmware->m_strVersion});
    if (entry.m_lan)
        AddSetup(values, QStringLiteral("lan"), *entry.m_lan);
    if (entry.m_wlan)
        AddSetup(values, QStringLiteral("wlan"), *entry.m_wlan);
    return values;
}

QList<CPlanChange> CPlanState::Changes(const CPlanEntry &entry) const
{
    return Compare(entry, true);
}

QList<CPlanChange> CPlanState::Unchanged(const CPlanEntry &entry) const
{
    return Compare(entry, false);
}

QList<CPlanChange> CPlanState::Compare(const CPlanEntry &entry, bool differing) const
{
    QList<CPlanChange> changes;
    for (const auto &[field, wanted] : Wanted(entry)) {
        const QString now = m_values.value(field);
        if ((now != wanted) == differing)
            changes.append({field, now, wanted});
    }
    return changes;
}

QString CPlanState::AddressInUse(bool wifi) const
{
    // Over the cable the player answers at its LAN address; the LAN address
    // it reports is the fallback when it was reached over Wi-Fi.
    const QString inUse = wifi                             ? m_device.wifiip
                          : m_strPlayer != m_device.wifiip ? m_strPlayer
                                                           : m_device.lanip;
    // An interface without an address (no cable, not joined) says nothing
    // about what it would use.
    return CIpv4Text::IsAddress(inUse) && inUse != NO_ADDRESS ? inUse : QString();
}

std::optional<bool> CPlanState::UsesPlannedAddress(const CPlanEntry &entry, bool wifi) const
{
    const std::optional<CPlanSetup> &planned = wifi ? entry.m_wlan : entry.m_lan;
    const QString inUse = AddressInUse(wifi);
    // A DHCP lease cannot be foretold.
    if (!planned || planned->m_bDhcp || inUse.isEmpty())
        return std::nullopt;
    return inUse == planned->m_strIp;
}

QList<CPlanChange> CPlanState::PendingReboot(const CPlanEntry &entry) const
{
    QList<CPlanChange> pending;
    const QList<CPlanChange> changes = Changes(entry);
    for (const bool wifi : {false, true}) {
        const QString prefix = wifi ? QStringLiteral("wlan") : QStringLiteral("lan");
        const bool stored =
            std::none_of(changes.cbegin(), changes.cend(), [&prefix](const CPlanChange &change) {
                return change.m_strField.startsWith(prefix + QLatin1Char('.'));
            });
        const std::optional<bool> uses = UsesPlannedAddress(entry, wifi);
        if (stored && uses && !*uses) {
            const CPlanSetup &planned = wifi ? *entry.m_wlan : *entry.m_lan;
            pending.append({prefix + QStringLiteral(".ip"), AddressInUse(wifi), planned.m_strIp});
        }
    }
    return pending;
}
