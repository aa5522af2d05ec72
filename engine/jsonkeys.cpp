#include "jsonkeys.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QList>
#include <QSet>

namespace {

// One object or list the scan is inside of.
class CContainer
{
public:
    bool m_bObject = false;
    QString m_strPath;
    QSet<QString> m_keys;
    QString m_strKey;
    bool m_bExpectKey = false;
};

QString Dotted(const QString &path, const QString &key)
{
    return path.isEmpty() ? key : path + QLatin1Char('.') + key;
}

// The text a string token stands for, escapes resolved by the JSON parser
// itself, so that "na\u006de" and "name" are one key.
QString Decoded(const QByteArray &token)
{
    if (!token.contains('\\'))
        return QString::fromUtf8(token.mid(1, token.size() - 2));
    return QJsonDocument::fromJson('[' + token + ']').array().first().toString();
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

} // namespace

// A scan with an explicit stack, so that deep nesting costs memory the
// caller's size cap bounds, not call depth.
std::optional<CJsonKeys::CDuplicate> CJsonKeys::FindDuplicate(const QByteArray &json)
{
    QList<CContainer> open;
    int element = -1;
    const qsizetype size = json.size();
    // A value starts: one more element when it stands in the outermost list.
    const auto valueStarts = [&open, &element] {
        if (open.size() == 1 && !open.first().m_bObject)
            ++element;
    };
    const auto childPath = [&open] {
        if (open.isEmpty())
            return QString();
        const CContainer &parent = open.last();
        // The outermost list's elements are the entries the paths start from.
        if (!parent.m_bObject)
            return open.size() == 1 ? QString() : parent.m_strPath;
        return Dotted(parent.m_strPath, parent.m_strKey);
    };
    for (qsizetype i = 0; i < size; ++i) {
        const char c = json.at(i);
        if (IsSpace(c) || c == ':')
            continue;
        if (c == '{' || c == '[') {
            valueStarts();
            CContainer container;
            container.m_bObject = c == '{';
            container.m_bExpectKey = container.m_bObject;
            container.m_strPath = childPath();
            open.append(container);
        } else if (c == '}' || c == ']') {
            if (!open.isEmpty())
                open.removeLast();
        } else if (c == ',') {
            if (!open.isEmpty() && open.last().m_bObject)
                open.last().m_bExpectKey = true;
        } else if (c == '"') {
            const qsizetype start = i;
            for (++i; i < size && json.at(i) != '"'; ++i) {
                if (json.at(i) == '\\')
                    ++i;
            }
            if (!open.isEmpty() && open.last().m_bObject && open.last().m_bExpectKey) {
                CContainer &object = open.last();
                const QString key = Decoded(json.mid(start, i - start + 1));
                if (object.m_keys.contains(key))
                    return CDuplicate{element, Dotted(object.m_strPath, key)};
                object.m_keys.insert(key);
                object.m_strKey = key;
                object.m_bExpectKey = false;
            } else {
                valueStarts();
            }
        } else {
            // A number, true, false or null: one value up to the next delimiter.
            valueStarts();
            while (i + 1 < size && !IsSpace(json.at(i + 1)) && json.at(i + 1) != ',' &&
                   json.at(i + 1) != ']' && json.at(i + 1) != '}')
                ++i;
        }
    }
    return std::nullopt;
}
