#include "announcement.h"

#include "ipv4text.h"
#include "xmldocument.h"

std::optional<CAnnouncement> CAnnouncement::ParseDeviceInfo(const QByteArray &bytes)
{
    // Decoded once, whole: a character split between two reads decodes as
    // it was sent.
    CXmlDocument document;
    if (!document.LoadXml(QString::fromUtf8(bytes)))
        return std::nullopt;
    std::optional<QString> model = document.SelectText("model");
    std::optional<QString> name = document.SelectText("name");
    std::optional<QString> ip = document.SelectText("ip");
    std::optional<QString> udn = document.SelectText("udn");
    if (!model || !name || !ip || !udn || !CIpv4Text::IsAddress(*ip))
        return std::nullopt;
    return CAnnouncement{std::move(*model), std::move(*name), std::move(*ip), std::move(*udn)};
}
