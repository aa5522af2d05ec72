#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

// Finds a key given twice in one JSON object. A JSON document keeps only one
// of them, so a plan could say two things of one field and be read as one.
class CJsonKeys
{
public:
    class CDuplicate
    {
    public:
        // The element of the outermost list that holds the object, from 0;
        // -1 when the object is not inside one.
        int m_nElement = -1;
        // The key with the keys of the objects around it, joined with dots
        // from the list element down, e.g. lan.ip.
        QString m_strPath;
    };

    // json must be valid JSON; the first key given twice, in text order.
    static std::optional<CDuplicate> FindDuplicate(const QByteArray &json);
};
