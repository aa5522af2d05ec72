#pragma once

#include <optional>

#include <pugixml.hpp>

#include <QString>

// Small helpers between pugixml's UTF-8 nodes and QString values.
namespace SimXml {

// The text of the element at the relative XPath, or nothing when absent.
std::optional<QString> Text(const pugi::xml_node &node, const char *xpath);
// Appends <name>value</name>; the value is escaped when the document is written.
pugi::xml_node AddText(pugi::xml_node &parent, const char *name, const QString &value);
// The document as UTF-8, without a declaration, with no self-closing tags.
QByteArray Serialize(const pugi::xml_node &node);
// The declaration every document of the protocol starts with.
QByteArray Declaration();

} // namespace SimXml
