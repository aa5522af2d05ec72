#include "playersession.h"

#include <utility>

#include "commandcatalogue.h"
#include "wirevocabulary.h"

namespace {

using namespace WireVocabulary;

using FieldTarget = std::pair<QLatin1String, QString CDevice::*>;

const FieldTarget kDeviceInfoTargets[] = {
    {LANIP, &CDevice::lanip},
    {WIFIIP, &CDevice::wifiip},
    {LANMAC, &CDevice::lanmac},
    {WIFIMAC, &CDevice::wifimac},
    {FIRMVERSION, &CDevice::firmversion},
    {SERIALNUMBER, &CDevice::serialnumber},
};

const FieldTarget kLanSetupTargets[] = {
    {SETUPMODE, &CDevice::setupmode},      {IPADDRESS, &CDevice::lanIpaddress},
    {SUBNETMASK, &CDevice::lanSubnetmask}, {DEFAULTGATEWAY, &CDevice::lanDefaultgateway},
    {PRIMARYDNS, &CDevice::lanPrimarydns}, {SECONDDNS, &CDevice::lanSeconddns},
};

const FieldTarget kWifiSetupTargets[] = {
    {SETUPMODE, &CDevice::setupmode},       {IPADDRESS, &CDevice::wifiIpaddress},
    {SUBNETMASK, &CDevice::wifiSubnetmask}, {DEFAULTGATEWAY, &CDevice::wifiDefaultgateway},
    {PRIMARYDNS, &CDevice::wifiPrimarydns}, {SECONDDNS, &CDevice::wifiSeconddns},
};

// A key missing from the reply leaves its field as it was.
template <size_t N>
void CopyFields(const CMapStringToString &item, const FieldTarget (&targets)[N], CDevice &device)
{
    for (const auto &[key, field] : targets) {
        const auto found = item.constFind(key);
        if (found != item.cend())
            device.*field = found.value();
    }
}

void CopyValue(const QList<CMapStringToString> &items, QLatin1String key, QString &target)
{
    if (items.isEmpty())
        return;
    const auto found = items.first().constFind(key);
    if (found != items.first().cend())
        target = found.value();
}

CAccessPoint MakeAccessPoint(const CMapStringToString &item)
{
    const QString none;
    return CAccessPoint(item.value(ESSID, none), item.value(ENCRYPTIONKEY, none),
                        item.value(QUALITY, none), item.value(CONNECTED, none),
                        item.value(SAVED, none));
}

} // namespace

void CPlayerSession::StoreResult(const STP_CMD_RESULT_TAG &result)
{
    const QList<CMapStringToString> &items = result.listItems;
    switch (result.nCmdId) {
    case CMD_GET_DEVICE_NAME:
        CopyValue(items, DEVICENAME, m_device.devicename);
        break;
    case CMD_GET_CONNECTED_ESSID:
        CopyValue(items, CONNECTED_ESSID, m_strConnectedEssid);
        break;
    case CMD_GET_WIFI_ON_OFF:
        if (!items.isEmpty()) {
            const QString value = items.first().value(WIFIONOFF);
            m_device.wifionoff =
                value.compare(QLatin1String("ON"), Qt::CaseInsensitive) == 0 ? 1 : 0;
        }
        break;
    case CMD_GET_DEVICE_INFO:
        if (!items.isEmpty())
            CopyFields(items.first(), kDeviceInfoTargets, m_device);
        break;
    case CMD_GET_LAN_SETUP:
        if (!items.isEmpty())
            CopyFields(items.first(), kLanSetupTargets, m_device);
        break;
    case CMD_GET_WIFI_SETUP:
        if (!items.isEmpty())
            CopyFields(items.first(), kWifiSetupTargets, m_device);
        break;
    case CMD_GET_AP_LIST:
        m_accessPoints.clear();
        for (const CMapStringToString &item : items)
            m_accessPoints.append(MakeAccessPoint(item));
        break;
    default:
        break;
    }
}
