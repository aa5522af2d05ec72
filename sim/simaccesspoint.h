#pragma once

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
