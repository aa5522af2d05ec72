#include "setupmanager.h"

#include <utility>

#include "commandcatalogue.h"

namespace {

using FieldTarget = std::pair<const char *, QString CDevice::*>;

const FieldTarget kDeviceInfoTargets[] = {
    {"lanip", &CDevice::lanip},
    {"wifiip", &CDevice::wifiip},
    {"lanmac", &CDevice::lanmac},
    {"wifimac", &CDevice::wifimac},
    {"firmversion", &CDevice::firmversion},
    {"serialnumber", &CDevice::serialnumber},
};

const FieldTarget kLanSetupTargets[] = {
    {"setupmode", &CDevice::setupmode},      {"ipaddress", &CDevice::lanIpaddress},
    {"subnetmask", &CDevice::lanSubnetmask}, {"defaultgateway", &CDevice::lanDefaultgateway},
    {"primarydns", &CDevice::lanPrimarydns}, {"seconddns", &CDevice::lanSeconddns},
};

const FieldTarget kWifiSetupTargets[] = {
    {"setupmode", &CDevice::setupmode},       {"ipaddress", &CDevice::wifiIpaddress},
    {"subnetmask", &CDevice::wifiSubnetmask}, {"defaultgateway", &CDevice::wifiDefaultgateway},
    {"primarydns", &CDevice::wifiPrimarydns}, {"seconddns", &CDevice::wifiSeconddns},
};

// A key missing from the reply leaves its field as it was.
template <size_t N>
void CopyFields(const CMapStringToString &item, const FieldTarget (&targets)[N], CDevice &device)
{
    for (const auto &[key, field] : targets) {
        const auto found = item.constFind(QLatin1String(key));
        if (found != item.cend())
            device.*field = found.value();
    }
}

void CopyValue(const QList<CMapStringToString> &items, const QString &key, QString &target)
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
    return CAccessPoint(item.value(QStringLiteral("essid"), none),
                        item.value(QStringLiteral("encryptionkey"), none),
                        item.value(QStringLiteral("quality"), none),
                        item.value(QStringLiteral("connected"), none),
                        item.value(QStringLiteral("saved"), none));
}

} // namespace

void CSetupManager::StoreResult(const STP_CMD_RESULT_TAG &result)
{
    const QList<CMapStringToString> &items = result.listItems;
    switch (result.nCmdId) {
    case CMD_GET_DEVICE_NAME:
        CopyValue(items, QStringLiteral("devicename"), m_device.devicename);
        break;
    case CMD_GET_CONNECTED_ESSID:
        CopyValue(items, QStringLiteral("connected_essid"), m_strConnectedEssid);
        break;
    case CMD_GET_WIFI_ON_OFF:
        if (!items.isEmpty()) {
            const QString value = items.first().value(QStringLiteral("wifionoff"));
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
