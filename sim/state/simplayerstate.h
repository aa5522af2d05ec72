#pragma once

#include <QList>
#include <QString>

// One entry of a player's access point list, in the order the player reports it.
struct CSimAccessPoint
{
    QString m_strEssid;
    QString m_strEncryptionKey;
    QString m_strQuality;
    bool m_connected = false;
    bool m_saved = false;
    // Known only to the simulator: connectAp must send exactly this. Empty
    // accepts any password, like an open network.
    QString m_strPassword;

    bool operator==(const CSimAccessPoint &) const = default;
};

// A LAN or Wi-Fi address set-up, kept exactly as the tool last sent it.
struct CSimNetSetup
{
    QString m_strSetupMode; // "STATIC" or "DHCP"
    QString m_strIpAddress;
    QString m_strSubnetMask;
    QString m_strDefaultGateway;
    QString m_strPrimaryDns;
    QString m_strSecondDns;

    bool operator==(const CSimNetSetup &) const = default;
};

// A stored Wi-Fi profile, kept exactly as addProfile or setProfile sent it.
struct CSimProfile
{
    QString m_strName;
    QString m_strSsid;
    QString m_strSecurityMode;
    QString m_strSignalStrength;

    bool operator==(const CSimProfile &) const = default;
};

// Everything a player reports and the tool can change.
struct CSimPlayerState
{
    QString m_strDeviceName;
    bool m_wifiOn = true;

    QString m_strLanIp;
    QString m_strWifiIp;
    QString m_strLanMac;
    QString m_strWifiMac;
    QString m_strFirmVersion;
    QString m_strSerialNumber;

    QList<CSimAccessPoint> m_accessPoints;
    CSimNetSetup m_lanSetup;
    CSimNetSetup m_wifiSetup;
    QList<CSimProfile> m_profiles;
    // The ssid named by the last successful activeProfile.
    QString m_strActiveProfile;

    bool operator==(const CSimPlayerState &) const = default;

    // Gives the lists storage shared with no other copy; for a copy made
    // under a lock, before it leaves the lock.
    void DetachLists()
    {
        m_accessPoints.detach();
        m_profiles.detach();
    }
};
