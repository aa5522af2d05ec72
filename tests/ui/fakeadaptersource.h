#pragma once

#include <memory>

#include <QList>

#include "adaptersource.h"

// Adapters a test makes up in place of the system's. The list is shared, so
// the test can change the adapters while a window reads them.
class CFakeAdapterSource : public CAdapterSource
{
public:
    using Records = QList<CAdapterSource::Record>;

    explicit CFakeAdapterSource(std::shared_ptr<const Records> records);
    QList<Record> Interfaces() const override;

    // An interface that is not loopback, with these addresses (each with the
    // mask 255.255.255.0).
    static Record Adapter(const QString &name, const QStringList &addresses);

private:
    std::shared_ptr<const Records> m_pRecords;
};
