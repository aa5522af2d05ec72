#include "xmldocument.h"

#include <string>

namespace {

// Fragment parsing keeps text that stands outside the root element, so that
// IsSingleDocument can refuse it; pugixml would otherwise drop it unseen.
constexpr unsigned int kParseOptions =
    pugi::parse_default | pugi::parse_fragment | pugi::parse_declaration;

// Walks the subtree without recursion: a player's reply may nest elements
// as deep as its size allows, far deeper than the stack would take.
void AppendText(const pugi::xml_node &root, std::string &out)
{
    pugi::xml_node node = root.first_child();
    while (node) {
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata)
            out += node.value();
        else if (node.type() == pugi::node_element && node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (!node.next_sibling()) {
            node = node.parent();
            if (node == root)
                return;
        }
        node = node.next_sibling();
    }
}

} // namespace

bool CXmlDocument::LoadXml(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    const pugi::xml_parse_result result = m_document.load_buffer(
        utf8.constData(), static_cast<size_t>(utf8.size()), kParseOptions, pugi::encoding_utf8);
    if (!result || !IsSingleDocument()) {
        m_document.reset();
        return false;
    }
    return true;
}

bool CXmlDocument::IsSingleDocument() const
{
    int elements = 0;
    bool first = true;
    for (const pugi::xml_node &child : m_document.children()) {
        switch (child.type()) {
        case pugi::node_element:
            ++elements;
            break;
        case pugi::node_declaration:
            if (!first)
                return false;
            break;
        case pugi::node_comment:
        case pugi::node_pi:
            break;
        default: // text outside the root, or a document type definition
            return false;
        }
        first = false;
    }
    return elements == 1;
}

pugi::xml_node CXmlDocument::SelectSingleNode(const char *xpath) const
{
    try {
        return m_document.select_node(xpath).node();
    } catch (const pugi::xpath_exception &) {
        return {};
    }
}

pugi::xml_node CXmlDocument::SelectElement(const char *name) const
{
    const std::string xpath = std::string("//") + name;
    return SelectSingleNode(xpath.c_str());
}

std::optional<QString> CXmlDocument::SelectText(const char *name) const
{
    const pugi::xml_node node = SelectElement(name);
    if (!node)
        return std::nullopt;
    return NodeText(node);
}

QString CXmlDocument::NodeText(const pugi::xml_node &node)
{
    std::string text;
    AppendText(node, text);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
