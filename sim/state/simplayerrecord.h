#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include "simfault.h"
#include "simplayerstate.h"

// One firmware download as the player saw it.
struct CSimDownload
{
    qint64 m_size = 0;
    QString m_strSha256; // lowercase hex of every byte kept
    // The tool closed the connection after sending; false when the player gave
    // up (a fault, the size cap, a time-out or a network error).
    bool m_complete = false;
    // Taken from an image that starts with "KSFW" and a version line; empty otherwise.
    QString m_strFirmVersion;

    bool operator==(const CSimDownload &) const = default;
};

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
