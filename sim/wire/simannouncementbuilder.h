#pragma once

#include <QList>
#include <QString>

#include "simdelivery.h"
#include "simfault.h"

// Builds the announcement a player sends to a prober, bent by whatever
// announcement faults hit this probe.
class CSimAnnouncementBuilder
{
public:
    explicit CSimAnnouncementBuilder(QList<CSimFault> faults) : m_faults(std::move(faults)) {}

    // m_delayMs of the result is the wait before connecting.
    CSimDelivery Build(const QString &model, const QString &name, const QString &ip,
                       const QString &udn) const;

private:
    const CSimFault *Find(CSimFault::EKind kind) const;
    QByteArray Document(const QString &model, const QString &name, const QString &ip,
                        const QString &udn) const;

    QList<CSimFault> m_faults;
};
