#include "simstatejson.h"

#include <QJsonArray>

bool CSimStateJson::ReadState(const QJsonValue &json, CSimPlayerState &state)
{
    if (json.isUndefined())
        return true;
    if (!json.isObject())
        return m_fields.Fail(QStringLiteral("\"state\" must be an object"));
    const QJsonObject object = json.toObject();
    return m_fields.Keys(object,
                         {"wifionoff", "lanip", "wifiip", "lanmac", "wifimac", "firmversion",
                          "serialnumber", "aplist", "lansetup", "wifisetup", "profiles",
                          "activeprofile"},
                         QStringLiteral("state")) &&
           ReadWifiOnOff(object, state.m_wifiOn) &&
           m_fields.Text(object, "lanip", state.m_strLanIp) &&
           m_fields.Text(object, "wifiip", state.m_strWifiIp) &&
           m_fields.Text(object, "lanmac", state.m_strLanMac) &&
           m_fields.Text(object, "wifimac", state.m_strWifiMac) &&
           m_fields.Text(object, "firmversion", state.m_strFirmVersion) &&
           m_fields.Text(object, "serialnumber", state.m_strSerialNumber) &&
           m_fields.Text(object, "activeprofile", state.m_strActiveProfile) &&
           ReadAccessPoints(object.value(QLatin1String("aplist")), state.m_accessPoints) &&
           ReadSetup(object.value(QLatin1String("lansetup")), state.m_lanSetup) &&
           ReadSetup(object.value(QLatin1String("wifisetup")), state.m_wifiSetup) &&
           ReadProfiles(object.value(QLatin1String("profiles")), state.m_profiles);
}

bool CSimStateJson::ReadFaults(const QJsonValue &json, QList<CSimFault> &faults)
{
    if (json.isUndefined())
        return true;
    if (!json.isArray())
        return m_fields.Fail(QStringLiteral("\"faults\" must be a list"));
    faults.clear();
    const QJsonArray array = json.toArray();
    for (const QJsonValue &entry : array) {
        CSimFault fault;
        if (!ReadFault(entry, fault))
            return false;
        faults.append(fault);
    }
    return true;
}

bool CSimStateJson::ReadAccessPoints(const QJsonValue &json, QList<CSimAccessPoint> &list)
{
    if (json.isUndefined())
        return true;
    if (!json.isArray())
        return m_fields.Fail(QStringLiteral("\"aplist\" must be a list"));
    list.clear();
    const QJsonArray array = json.toArray();
    for (const QJsonValue &entry : array) {
        const QJsonObject object = entry.toObject();
        CSimAccessPoint ap;
        const bool ok =
            m_fields.Keys(object,
                          {"essid", "encryptionkey", "quality", "connected", "saved", "password"},
                          QStringLiteral("aplist entry")) &&
            m_fields.Text(object, "essid", ap.m_strEssid) &&
            m_fields.Text(object, "encryptionkey", ap.m_strEncryptionKey) &&
            m_fields.Text(object, "quality", ap.m_strQuality) &&
            m_fields.Flag(object, "connected", ap.m_connected) &&
            m_fields.Flag(object, "saved", ap.m_saved) &&
            m_fields.Text(object, "password", ap.m_strPassword);
        if (!ok)
            return false;
        list.append(ap);
    }
    return true;
}

bool CSimStateJson::ReadSetup(const QJsonValue &json, CSimNetSetup &setup)
{
    if (json.isUndefined())
        return true;
    const QJsonObject object = json.toObject();
    return m_fields.Keys(object,
                         {"setupmode", "ipaddress", "subnetmask", "defaultgateway", "primarydns",
                          "seconddns"},
                         QStringLiteral("set-up")) &&
           m_fields.Text(object, "setupmode", setup.m_strSetupMode) &&
           m_fields.Text(object, "ipaddress", setup.m_strIpAddress) &&
           m_fields.Text(object, "subnetmask", setup.m_strSubnetMask) &&
           m_fields.Text(object, "defaultgateway", setup.m_strDefaultGateway) &&
           m_fields.Text(object, "primarydns", setup.m_strPrimaryDns) &&
           m_fields.Text(object, "seconddns", setup.m_strSecondDns);
}

bool CSimStateJson::ReadProfiles(const QJsonValue &json, QList<CSimProfile> &profiles)
{
    if (json.isUndefined())
        return true;
    if (!json.isArray())
        return m_fields.Fail(QStringLiteral("\"profiles\" must be a list"));
    profiles.clear();
    const QJsonArray array = json.toArray();
    for (const QJsonValue &entry : array) {
        const QJsonObject object = entry.toObject();
        CSimProfile profile;
        const bool ok = m_fields.Keys(object, {"name", "ssid", "securitymode", "signalstrength"},
                                      QStringLiteral("profile")) &&
                        m_fields.Text(object, "name", profile.m_strName) &&
                        m_fields.Text(object, "ssid", profile.m_strSsid) &&
                        m_fields.Text(object, "securitymode", profile.m_strSecurityMode) &&
                        m_fields.Text(object, "signalstrength", profile.m_strSignalStrength);
        if (!ok)
            return false;
        profiles.append(profile);
    }
    return true;
}

bool CSimStateJson::ReadFault(const QJsonValue &json, CSimFault &fault)
{
    const QJsonObject object = json.toObject();
    QString kind;
    if (!m_fields.Keys(object,
                       {"kind", "operation", "count", "pieceSize", "pauseMs", "delayMs", "holdMs",
                        "bytes", "text"},
                       QStringLiteral("fault")) ||
        !m_fields.Text(object, "kind", kind))
        return false;
    const auto parsed = CSimFault::KindFromName(kind);
    if (!parsed)
        return m_fields.Fail(QStringLiteral("unknown fault kind \"%1\"").arg(kind));
    fault.m_kind = *parsed;
    const bool ok = m_fields.Text(object, "operation", fault.m_strOperation) &&
                    m_fields.Int(object, "count", fault.m_count) &&
                    m_fields.Int(object, "pieceSize", fault.m_pieceSize) &&
                    m_fields.Int(object, "pauseMs", fault.m_pauseMs) &&
                    m_fields.Int(object, "delayMs", fault.m_delayMs) &&
                    m_fields.Int(object, "holdMs", fault.m_holdMs) &&
                    m_fields.Int64(object, "bytes", fault.m_bytes) &&
                    m_fields.OptionalText(object, "text", fault.m_text);
    if (ok && (fault.m_pieceSize < 1 || fault.m_pauseMs < 0 || fault.m_delayMs < 0 ||
               fault.m_holdMs < 0 || fault.m_count < -1))
        return m_fields.Fail(
            QStringLiteral("fault \"%1\": sizes and times must not be negative").arg(kind));
    return ok;
}

bool CSimStateJson::ReadWifiOnOff(const QJsonObject &object, bool &on)
{
    QString text = on ? QStringLiteral("ON") : QStringLiteral("OFF");
    if (!m_fields.Text(object, "wifionoff", text))
        return false;
    if (text != QLatin1String("ON") && text != QLatin1String("OFF"))
        return m_fields.Fail(QStringLiteral("\"wifionoff\" must be \"ON\" or \"OFF\""));
    on = text == QLatin1String("ON");
    return true;
}
