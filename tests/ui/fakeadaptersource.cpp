#include "fakeadaptersource.h"

#include <utility>

CFakeAdapterSource::CFakeAdapterSource(std::shared_ptr<const Records> records)
    : m_pRecords(std::move(records))
{}

QList<CAdapterSource::Record> CFakeAdapterSource::Interfaces() const
{
    return *m_pRecords;
}

CAdapterSource::Record CFakeAdapterSource::Adapter(const QString &name,
                                                   const QStringList &addresses)
{
    Record record;
    record.m_strName = name;
    for (const QString &address : addresses)
        record.m_ipv4.append({address, QStringLiteral("255.255.255.0")});
    return record;
}
