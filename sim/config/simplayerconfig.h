#pragma once

#include <QList>
#include <QString>

#include "simfault.h"
#include "simplayerstate.h"

// How one simulated player starts. ForAddress() fills in a complete, working
// player; change what a test cares about and pass it to CSimNetwork::Start().
struct CSimPlayerConfig
{
    QString m_strAddress; // 127.0.0.2 .. 127.0.0.255
    QString m_strModel;
    QString m_strName; // becomes the state's device name
    QString m_strUdn;
    CSimPlayerState m_state;
    QList<CSimFault> m_faults;

    // A "KS-210" named "Player N" with device info, set-ups and two access
    // points derived from the address's last number N.
    static CSimPlayerConfig ForAddress(const QString &address);
    // Whether the address is one a player may use (127.0.0.2 .. 127.0.0.255).
    static bool IsPlayerAddress(const QString &address);
};
