#pragma once

#include <QByteArray>
#include <QString>

#include "simplayerrecord.h"

// The player's own small web page: the HTTP response for one request head.
class CSimWebPage
{
public:
    CSimWebPage(QString address, const CSimPlayerRecord &record)
        : m_strAddress(std::move(address)), m_record(record)
    {}

    // GET / (or /index.html) gives the page; other paths 404, other methods 405.
    QByteArray Respond(const QByteArray &requestHead) const;

private:
    QByteArray Html() const;
    static QByteArray Response(const QByteArray &status, const QByteArray &type,
                               const QByteArray &body, bool withBody);

    QString m_strAddress;
    const CSimPlayerRecord &m_record;
};
