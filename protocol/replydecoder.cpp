#include "replydecoder.h"

#include <array>

#include "commandcatalogue.h"
#include "wirevocabulary.h"
#include "xmldocument.h"

namespace {

using namespace WireVocabulary;

void SetError(STP_CMD_ERROR_TAG &error, const QString &text)
{
    error.nCode = 1;
    error.strText = text;
}

QString MissingNodeText(QLatin1String name)
{
    return QStringLiteral("error: xml parsing, invalied xml-node(%1)").arg(name);
}

// One record holding the required element, or an error when it is absent.
int DecodeRequired(const CXmlDocument &doc, QLatin1String name, QLatin1String key,
                   STP_CMD_RESULT_TAG &result, STP_CMD_ERROR_TAG &error)
{
    const std::optional<QString> value = doc.SelectText(name.data());
    if (!value) {
        SetError(error, MissingNodeText(name));
        return 0;
    }
    result.listItems.append(CMapStringToString{{key, *value}});
    return 1;
}

// One record with whichever of the fields the reply carries; none is required.
template <size_t N>
void DecodeOptional(const CXmlDocument &doc, const std::array<QLatin1String, N> &fields,
                    STP_CMD_RESULT_TAG &result)
{
    CMapStringToString item;
    for (const QLatin1String field : fields) {
        if (const std::optional<QString> value = doc.SelectText(field.data()))
            item.insert(field, *value);
    }
    result.listItems.append(item);
}

bool IsAccessPointField(const char *name)
{
    for (const QLatin1String field : ACCESS_POINT_FIELDS) {
        if (qstrcmp(field.data(), name) == 0)
            return true;
    }
    return false;
}

// Every child of aplist is one access point, whatever its name; records that
// carry none of the known fields are left out.
int DecodeAccessPoints(const CXmlDocument &doc, STP_CMD_RESULT_TAG &result,
                       STP_CMD_ERROR_TAG &error)
{
    const pugi::xml_node list = doc.SelectElement(APLIST.data());
    if (!list) {
        SetError(error, MissingNodeText(APLIST));
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
    const pugi::xml_node root = doc.SelectElement(ROOT.data());
    if (!root) {
        SetError(error, MissingNodeText(ROOT));
        return 0;
    }
    const pugi::xml_attribute errcode = root.attribute(ERRCODE.data());
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
        return DecodeRequired(doc, DEVICENAME, DEVICENAME, result, error);
    case CMD_GET_WIFI_ON_OFF:
        return DecodeRequired(doc, WIFIONOFF, WIFIONOFF, result, error);
    case CMD_GET_AP_LIST:
        return DecodeAccessPoints(doc, result, error);
    case CMD_GET_DEVICE_INFO:
        DecodeOptional(doc, DEVICE_INFO_FIELDS, result);
        return 1;
    case CMD_GET_LAN_SETUP:
    case CMD_GET_WIFI_SETUP:
        DecodeOptional(doc, IP_SETUP_FIELDS, result);
        return 1;
    case CMD_GET_CONNECTED_ESSID:
        return DecodeRequired(doc, ESSID, CONNECTED_ESSID, result, error);
    default: // nothing of these replies is used
        return 1;
    }
}
