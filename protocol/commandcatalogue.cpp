#include "commandcatalogue.h"

namespace {

const QString kProfileBody =
    QStringLiteral("<profile><name>%s</name><ssid>%s</ssid><securitymode>%s</securitymode>"
                   "<signalstrength>%s</signalstrength></profile>");

const QString kIpSetupBody =
    QStringLiteral("<setupmode>%s</setupmode><ipaddress>%s</ipaddress><subnetmask>%s</subnetmask>"
                   "<defaultgateway>%s</defaultgateway><primarydns>%s</primarydns>"
                   "<seconddns>%s</seconddns>");

STP_CMD_TAG Entry(qint32 id, qint32 set, const char16_t *operation, const QString &body = {})
{
    return STP_CMD_TAG{id, set, QString::fromUtf16(operation), body, {}};
}

} // namespace

const std::array<STP_CMD_TAG, STP_CMD_COUNT> STP_CMD_TABLE = {
    Entry(CMD_GET_DEVICE_NAME, 0, u"getDeviceName"),
    Entry(CMD_SET_DEVICE_NAME, 1, u"setDeviceName", QStringLiteral("<devicename>%s</devicename>")),
    Entry(CMD_GET_WIFI_ON_OFF, 0, u"getWifiOnOff"),
    Entry(CMD_SET_WIFI_ON_OFF, 1, u"setWifiOnOff", QStringLiteral("<wifionoff>%s</wifionoff>")),
    Entry(CMD_GET_AP_LIST, 0, u"getApList"),
    Entry(CMD_CONNECT_AP, 1, u"connectAp",
          QStringLiteral("<essid>%s</essid><password>%s</password>"
                         "<encryptionkey>%s</encryptionkey>")),
    Entry(CMD_GET_DEVICE_INFO, 0, u"getDeviceInfo"),
    Entry(CMD_GET_PROFILE_LIST, 0, u"getProfileList"),
    Entry(CMD_ADD_PROFILE, 1, u"addProfile", kProfileBody),
    Entry(CMD_SET_PROFILE, 1, u"setProfile", kProfileBody),
    Entry(CMD_GET_PROFILE, 0, u"getProfile"),
    Entry(CMD_DELETE_PROFILE, 1, u"deleteProfile", QStringLiteral("<essid>%s</essid>")),
    Entry(CMD_ACTIVE_PROFILE, 1, u"activeProfile", QStringLiteral("<ssid>%s</ssid>")),
    Entry(CMD_GET_LAN_SETUP, 0, u"getLanSetup"),
    Entry(CMD_GET_WIFI_SETUP, 0, u"getWifiSetup"),
    Entry(CMD_SET_LAN_SETUP, 1, u"setLanSetup", kIpSetupBody),
    Entry(CMD_SET_WIFI_SETUP, 1, u"setWifiSetup", kIpSetupBody),
    Entry(CMD_UPDATE_FIRMWARE, 1, u"updateFirmware", QStringLiteral("<downloadip>%s</downloadip>")),
    Entry(CMD_RESET_RENDER, 1, u"resetRender"),
    Entry(CMD_REBOOT_DEVICE, 1, u"rebootDevice"),
    Entry(CMD_GET_CONNECTED_ESSID, 0, u"getConnectedESSID"),
};

const STP_CMD_TAG *FindCommand(qint32 id)
{
    for (const STP_CMD_TAG &entry : STP_CMD_TABLE) {
        if (entry.nId == id)
            return &entry;
    }
    return nullptr;
}
