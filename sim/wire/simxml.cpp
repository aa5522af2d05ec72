#include "simxml.h"

#include <sstream>
#include <string>

namespace SimXml {

std::optional<QString> Text(const pugi::xml_node &node, const char *xpath)
{
    const pugi::xpath_node found = node.select_node(xpath);
    if (!found.node())
        return std::nullopt;
    return QString::fromUtf8(found.node().text().get());
}

pugi::xml_node AddText(pugi::xml_node &parent, const char *name, const QString &value)
{
    pugi::xml_node child = parent.append_child(name);
    child.text().set(value.toUtf8().constData());
    return child;
}

QByteArray Serialize(const pugi::xml_node &node)
{
    std::ostringstream out;
    node.print(out, "",
               pugi::format_raw | pugi::format_no_declaration | pugi::format_no_empty_element_tags,
               pugi::encoding_utf8);
    const std::string text = out.str();
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

QByteArray Declaration()
{
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
}

} // namespace SimXml
