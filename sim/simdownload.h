#pragma once

#include <QString>
#include <QtGlobal>

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
