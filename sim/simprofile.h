#pragma once

#include <QString>

// A stored Wi-Fi profile, kept exactly as addProfile or setProfile sent it.
struct CSimProfile
{
    QString m_strName;
    QString m_strSsid;
    QString m_strSecurityMode;
    QString m_strSignalStrength;

    bool operator==(const CSimProfile &) const = default;
};
