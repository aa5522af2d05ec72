#include "simfault.h"

#include <array>
#include <utility>

#include "simlimits.h"

namespace {

using EKind = CSimFault::EKind;

// Names used in the JSON player files.
constexpr std::array<std::pair<EKind, const char *>, 26> kKindNames{{
    {EKind::Refuse, "refuse"},
    {EKind::NoAnswer, "noAnswer"},
    {EKind::CloseWithoutReply, "closeWithoutReply"},
    {EKind::Pieces, "pieces"},
    {EKind::SplitEndTag, "splitEndTag"},
    {EKind::Errcode, "errcode"},
    {EKind::NoErrcode, "noErrcode"},
    {EKind::PrefixText, "prefixText"},
    {EKind::MalformedXml, "malformedXml"},
    {EKind::WrongRoot, "wrongRoot"},
    {EKind::DeviceInfoEndTag, "deviceInfoEndTag"},
    {EKind::Oversized, "oversized"},
    {EKind::Delay, "delay"},
    {EKind::AnnounceDelay, "announceDelay"},
    {EKind::AnnouncePieces, "announcePieces"},
    {EKind::AnnounceSplitEndTag, "announceSplitEndTag"},
    {EKind::AnnounceNested, "announceNested"},
    {EKind::AnnounceTwoIp, "announceTwoIp"},
    {EKind::AnnounceTrailing, "announceTrailing"},
    {EKind::AnnounceMissing, "announceMissing"},
    {EKind::AnnounceSilent, "announceSilent"},
    {EKind::AnnounceOversized, "announceOversized"},
    {EKind::DownloadDelay, "downloadDelay"},
    {EKind::DownloadStopReading, "downloadStopReading"},
    {EKind::DownloadAbort, "downloadAbort"},
    {EKind::DownloadRequestLine, "downloadRequestLine"},
}};

// A reply big enough to overrun any sensible reply buffer of the tool.
constexpr qint64 kDefaultReplyPadding = 2 * 1024 * 1024;
// An announcement is under 200 bytes; this is hundreds of times that.
constexpr qint64 kDefaultAnnouncePadding = 100 * 1024;
// Far enough into an image that the tool is well into its upload.
constexpr qint64 kDefaultDownloadCut = 64 * 1024;

} // namespace

CSimFault::EService CSimFault::Service() const
{
    if (m_kind >= EKind::DownloadDelay)
        return EService::Download;
    if (m_kind >= EKind::AnnounceDelay)
        return EService::Announce;
    return EService::Command;
}

bool CSimFault::Hits(EService service, const QString &operation) const
{
    // A refused connect carries no request, so Refuse is never hit by one.
    if (Service() != service || m_count == 0 || m_kind == EKind::Refuse)
        return false;
    return m_strOperation.isEmpty() || m_strOperation == operation;
}

qint64 CSimFault::Bytes() const
{
    const bool padding = m_kind == EKind::Oversized || m_kind == EKind::AnnounceOversized;
    const qint64 cap = padding ? SimLimits::kMaxPadding : SimLimits::kMaxDownloadBytes;
    if (m_bytes)
        return qBound<qint64>(0, *m_bytes, cap);
    if (m_kind == EKind::Oversized)
        return kDefaultReplyPadding;
    if (m_kind == EKind::AnnounceOversized)
        return kDefaultAnnouncePadding;
    return kDefaultDownloadCut;
}

QString CSimFault::Text() const
{
    if (m_text)
        return *m_text;
    switch (m_kind) {
    case EKind::Errcode:
        return QStringLiteral("0");
    case EKind::PrefixText:
        return QStringLiteral("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\n\r\n");
    case EKind::WrongRoot:
        return QStringLiteral("Response");
    case EKind::AnnounceTwoIp:
        return QStringLiteral("0.0.0.0");
    case EKind::AnnounceTrailing:
        return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><deviceInfo><model>");
    case EKind::AnnounceMissing:
        return QStringLiteral("udn");
    case EKind::DownloadRequestLine:
        return QStringLiteral("GET /firmware HTTP/1.0\r\n\r\n");
    default:
        return {};
    }
}

QString CSimFault::KindName(EKind kind)
{
    for (const auto &[k, name] : kKindNames) {
        if (k == kind)
            return QString::fromLatin1(name);
    }
    return {};
}

std::optional<CSimFault::EKind> CSimFault::KindFromName(const QString &name)
{
    for (const auto &[k, text] : kKindNames) {
        if (name == QLatin1String(text))
            return k;
    }
    return std::nullopt;
}
