#pragma once

#include <QByteArray>
#include <QList>

#include "simlimits.h"

// How bytes go out on a connection: after a delay, piece by piece with a
// pause between, then either a close or a hold until the peer closes.
struct CSimDelivery
{
    enum class EEnd
    {
        Close,
        Hold
    };

    QList<QByteArray> m_pieces;
    int m_delayMs = 0;
    int m_pauseMs = 0;
    EEnd m_end = EEnd::Close;
    // Cap on the whole connection, held or not.
    int m_holdMs = SimLimits::kDefaultHoldMs;

    // Cuts bytes into pieces of at most pieceSize (at least one byte each).
    static QList<QByteArray> Split(const QByteArray &bytes, int pieceSize);
    // Cuts bytes inside the last closing tag: "...</Tav" and "rion>", "...</dev" and "iceInfo>".
    static QList<QByteArray> SplitInEndTag(const QByteArray &bytes);
};
