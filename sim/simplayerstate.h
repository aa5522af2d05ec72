#pragma once

#include <QList>
#include <QString>

#include "simaccesspoint.h"
#include "simnetsetup.h"
#include "simprofile.h"

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
