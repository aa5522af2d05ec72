#pragma once

#include <optional>

#include <pugixml.hpp>

#include <QString>

// A parsed XML document with the few DOM operations replies and announcements
// need. Loading is strict: the text must be one well-formed document with a
// single root element, as a validating DOM would demand; a parser that
// silently accepted a second document or trailing text would let garbage
// through.
class CXmlDocument
{
public:
    bool LoadXml(const QString &text);

    // The first element matching the XPath expression in document order, or a
    // null node.
    pugi::xml_node SelectSingleNode(const char *xpath) const;
    // The first element named name anywhere in the document ("//name"), or a
    // null node.
    pugi::xml_node SelectElement(const char *name) const;
    // The text of the first element named name anywhere in the document
    // ("//name"), or nothing when there is none.
    std::optional<QString> SelectText(const char *name) const;

    // All character data inside the node, descendants included, in order.
    static QString NodeText(const pugi::xml_node &node);

private:
    bool IsSingleDocument() const;

    pugi::xml_document m_document;
};
