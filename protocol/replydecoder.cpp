#include "replydecoder.h"

#include <array>

#include "commandcatalogue.h"
#include "xmldocument.h"

namespace {

const std::array<const char *, 6> kDeviceInfoFields = {"lanip",   "wifiip",      "lanmac",
                                                       "wifimac", "firmversion", "serialnumber"};
const std::array<const char *, 6> kIpSetupFields = {"setupmode",      "ipaddress",  "subnetmask",
                                                    "defaultgateway", "primarydns", "seconddns"};
const std::array<const char *, 5> kAccessPointFields = {"essid", "encryptionkey", "quality",
                                                        "connected", "saved"};

void SetError(STP_CMD_ERROR_TAG &error, const QString &text)
{
    error.nCode = 1;
    error.strText = text;
}

QString MissingNodeText(const char *name)
{
    return QStringLiteral("error: xml parsing, invalied xml-node(%1)").arg(QLatin1String(name));
}

// One record holding the required element, or an error when it is absent.
int DecodeRequired(const CXmlDocument &doc, const char *name, const QString &key,
                   STP_CMD_RESULT_TAG &result, STP_CMD_ERROR_TAG &error)
{
    const std::optional<QString> value = doc.SelectText(name);
    if (!value) {
        SetError(error, MissingNodeText(name));
        return 0;
    }
    result.listItems.append(CMapStringToString{{key, *value}});
    return 1;
}

// One record with whichever of the fields the reply carries; none is required.
template <size_t N>
void DecodeOptional(const CXmlDocument &doc, const std::array<const char *, N> &fields,
                    STP_CMD_RESULT_TAG &result)
{
    CMapStringToString item;
    for (const char *field : fields) {
        if (const std::optional<QString> value = doc.SelectText(field))
            item.insert(QLatin1String(field), *value);
    }
    result.listItems.append(item);
}

bool IsAccessPointField(const char *name)
{
    for (const char *field : kAccessPointFields) {
        if (qstrcmp(field, name) == 0)
            return true;
    }
    return false;
}

// Every child of aplist is one access point, whatever its name; records that
// carry none of the known fields are left out.
int DecodeAccessPoints(const CXmlDocument &doc, STP_CMD_RESULT_TAG &result,
                       STP_CMD_ERROR_TAG &error)
{
    const pugi::xml_node list = doc.SelectSingleNode("//aplist");
    if (!list) {
        SetError(error, MissingNodeText("aplist"));
        return 0;
    }
    for (const pugi::xml_node &entry : list.children()) {
        CMapStringToString item;
        for (const pugi::xml_node &field : entry.children()) {
            if (field.type() == pugi::node_element && IsAccessPointField(field.name()))
                item.insert(QString::fromUtf8(field.name()), CXmlDocument::NodeText(field));
        }
        if (!item.isEmpty())
            result.listItems.append(item);
    }
    return 1;
}

} // namespace

QString CReplyDecoder::ExtractXml(const QString &reply)
{
    const qsizetype start = reply.indexOf(QLatin1String("<?xml"));
    return start < 0 ? QString() : reply.mid(start);
}

int CReplyDecoder::DecodeStatus(const QString &xml, const QString &operation,
                                STP_CMD_ERROR_TAG &error)
{
    CXmlDocument doc;
    if (!doc.LoadXml(xml)) {
        SetError(error, QStringLiteral("error: xml parsing failed"));
        return 0;
    }
    const pugi::xml_node root = doc.SelectSingleNode("//Tavrion");
    if (!root) {
        SetError(error, MissingNodeText("Tavrion"));
        return 0;
    }
    const pugi::xml_attribute errcode = root.attribute("errcode");
    if (!errcode)
        return 0;
    const QString value = QString::fromUtf8(errcode.value());
    if (value == QLatin1String("1"))
        return 1;
    SetError(error,
             QStringLiteral("tavrion setup error : command=%1, errcode =%2").arg(operation, value));
    return 0;
}

int CReplyDecoder::DecodeData(const QString &xml, qint32 cmdId, STP_CMD_RESULT_TAG &result,
                              STP_CMD_ERROR_TAG &error)
{
    CXmlDocument doc;
    if (!doc.LoadXml(xml)) {
        SetError(error, QStringLiteral("error: xml parsing loadXML() failed"));
        return 0;
    }
    result.nCmdId = cmdId;
    result.listItems.clear();
    switch (cmdId) {
    case CMD_GET_DEVICE_NAME:
        return DecodeRequired(doc, "devicename", QStringLiteral("devicename"), result, error);
    case CMD_GET_WIFI_ON_OFF:
        return DecodeRequired(doc, "wifionoff", QStringLiteral("wifionoff"), result, error);
    case CMD_GET_AP_LIST:
        return DecodeAccessPoints(doc, result, error);
    case CMD_GET_DEVICE_INFO:
        DecodeOptional(doc, kDeviceInfoFields, result);
        return 1;
    case CMD_GET_LAN_SETUP:
    case CMD_GET_WIFI_SETUP:
        DecodeOptional(doc, kIpSetupFields, result);
        return 1;
    case CMD_GET_CONNECTED_ESSID:
        return DecodeRequired(doc, "essid", QStringLiteral("connected_essid"), result, error);
    default: // nothing of these replies is used
        return 1;
    }
}
