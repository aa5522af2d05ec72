#pragma once

#include <QString>

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
