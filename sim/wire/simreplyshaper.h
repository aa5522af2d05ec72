#pragma once

#include <pugixml.hpp>

#include <QList>

#include "simdelivery.h"
#include "simfault.h"

// Turns a reply document into the bytes and the timing the player sends,
// bent by whatever command faults hit this request.
class CSimReplyShaper
{
public:
    explicit CSimReplyShaper(QList<CSimFault> faults) : m_faults(std::move(faults)) {}

    // root is the reply's Tavrion element; it may be changed.
    CSimDelivery Shape(pugi::xml_node &root) const;

private:
    const CSimFault *Find(CSimFault::EKind kind) const;
    void BendDocument(pugi::xml_node &root) const;
    QByteArray BendBytes(QByteArray bytes) const;
    void Schedule(const QByteArray &bytes, CSimDelivery &delivery) const;

    QList<CSimFault> m_faults;
};
