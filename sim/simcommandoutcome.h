#pragma once

#include <QString>

// What a handled command asks of the player besides its reply.
struct CSimCommandOutcome
{
    enum class EAction
    {
        None,
        GoUnreachable, // resetRender, rebootDevice
        Download,      // updateFirmware: fetch the image from m_strDownloadIp
    };

    bool m_success = false; // errcode "1" or "0"
    EAction m_action = EAction::None;
    QString m_strDownloadIp;
};
