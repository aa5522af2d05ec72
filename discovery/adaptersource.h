#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Where the network checker reads the host's interfaces from. The system
// supplies them normally; tests hand in records of their own.
class CAdapterSource
{
public:
    struct Ipv4Entry
    {
        QString m_strAddress;
        QString m_strMask;
    };

    // One interface as the system reports it, before any filtering.
    struct Record
    {
        QString m_strName;
        QString m_strHumanReadableName;
        QByteArray m_hardwareAddress; // raw bytes; empty when there is none
        bool m_loopback = false;
        QList<Ipv4Entry> m_ipv4; // in the order the system lists them
    };

    virtual ~CAdapterSource() = default;
    virtual QList<Record> Interfaces() const = 0;
};
