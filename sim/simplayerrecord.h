#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "simdownload.h"
#include "simfault.h"
#include "simplayerstate.h"

// What the worker thread and the tests share about one player; only ever
// touched under CSimRegistry's lock.
struct CSimPlayerRecord
{
    QString m_strModel;
    QString m_strUdn;
    CSimPlayerState m_state;
    QList<CSimFault> m_faults;
    QList<QByteArray> m_requests;
    QList<CSimDownload> m_downloads;
    int m_probes = 0;
    int m_invalidProbes = 0;
    bool m_reachable = true;
    // Where the player answers now: its starting address until a reboot
    // brings it up at a static address of its LAN set-up.
    QString m_strAddress;
};
