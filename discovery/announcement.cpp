#include "announcement.h"

#include "ipv4text.h"
#include "wirevocabulary.h"
#include "xmldocument.h"

std::optional<CAnnouncement> CAnnouncement::ParseDeviceInfo(const QByteArray &bytes)
{
    // Decoded once, whole: a character split between two reads decodes as
    // it was sent.
    CXmlDocument document;
    if (!document.LoadXml(QString::fromUtf8(bytes)))
        return std::nullopt;
    using namespace WireVocabulary;
    std::optional<QString> model = document.SelectText(MODEL.data());
    std::optional<QString> name = document.SelectText(NAME.data());
    std::optional<QString> ip = document.SelectText(IP.data());
    std::optional<QString> udn = document.SelectText(UDN.data());
    if (!model || !name || !ip || !udn || !CIpv4Text::IsAddress(*ip))
        return std::nullopt;
    return CAnnouncement{std::move(*model), std::move(*name), std::move(*ip), std::move(*udn)};
}

bool CAnnouncement::CameFrom(quint32 peer) const
{
    return CIpv4Text::ToNumber(ip) == peer;
}
