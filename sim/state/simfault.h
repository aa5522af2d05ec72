#pragma once

#include <optional>

#include <QString>
#include <QtGlobal>

#include "simlimits.h"

// A scripted misbehaviour of one player. Command faults shape the reply only:
// the command itself is still carried out. Set the fields that matter for the
// kind and leave the rest at their defaults, e.g.
//   CSimFault{.m_kind = CSimFault::EKind::Pieces, .m_strOperation = u"getApList"_s,
//             .m_count = 1, .m_pieceSize = 4}
struct CSimFault
{
    enum class EKind
    {
        // Command service (port 10015).
        Refuse,              // nothing listens; lasts until cleared, ignores filter and count
        NoAnswer,            // read the request, then hold the connection without a reply
        CloseWithoutReply,   // read the request, then close
        Pieces,              // reply in m_pieceSize pieces, m_pauseMs apart
        SplitEndTag,         // "...</Tav" and "rion>" as two pieces
        Errcode,             // errcode is m_text (default "0")
        NoErrcode,           // no errcode attribute at all
        PrefixText,          // m_text (default an HTTP status line and headers) before "<?xml"
        MalformedXml,        // m_text instead of the reply (default: an unclosed element)
        WrongRoot,           // root element named m_text (default "Response")
        DeviceInfoEndTag,    // the reply ends with "</deviceInfo>"
        Oversized,           // m_bytes (default 2 MiB) of padding inside an element
        Delay,               // m_delayMs before the reply
                             // Announcement (connect to port 10014 of the prober).
        AnnounceDelay,       // m_delayMs before connecting
        AnnouncePieces,      // m_pieceSize pieces, m_pauseMs apart
        AnnounceSplitEndTag, // "...</dev" and "iceInfo>" as two pieces
        AnnounceNested,      // the four elements one level deeper
        AnnounceTwoIp,       // a second <ip> holding m_text (default "0.0.0.0")
        AnnounceTrailing,    // m_text (default the start of a second document) after the end
        AnnounceMissing,     // element m_text (default "udn") left out
        AnnounceSilent,      // connect and send nothing
        AnnounceOversized,   // m_bytes (default 100 KiB) of padding inside the document
                             // Firmware download (connect to port 10017 of downloadip).
        DownloadDelay,       // m_delayMs before connecting
        DownloadStopReading, // stop reading after m_bytes, keep the connection open
        DownloadAbort,       // abort the connection after m_bytes
        DownloadRequestLine, // send m_text (default "GET /firmware HTTP/1.0\r\n\r\n") first
    };
    enum class EService
    {
        Command,
        Announce,
        Download
    };

    // Small pieces make the tool reassemble a reply from many reads.
    static constexpr int kDefaultPieceSize = 16;
    // Long enough on loopback that each piece arrives as a read of its own.
    static constexpr int kDefaultPauseMs = 20;
    // Clearly longer than a loopback round trip, far below any tool time-out.
    static constexpr int kDefaultDelayMs = 1000;

    EKind m_kind = EKind::NoAnswer;
    // Command faults only: hit only requests with this operation; empty hits all.
    QString m_strOperation{};
    // Hits left; -1 lasts until the faults are cleared.
    int m_count = -1;
    int m_pieceSize = kDefaultPieceSize;
    int m_pauseMs = kDefaultPauseMs;
    int m_delayMs = kDefaultDelayMs;
    int m_holdMs = SimLimits::kDefaultHoldMs;
    // Padding size, or how many image bytes a download takes before failing.
    std::optional<qint64> m_bytes{};
    // The text the kind inserts; see the kind for its default.
    std::optional<QString> m_text{};

    EService Service() const;
    bool Hits(EService service, const QString &operation) const;
    qint64 Bytes() const;
    QString Text() const;

    static QString KindName(EKind kind);
    static std::optional<EKind> KindFromName(const QString &name);
};
