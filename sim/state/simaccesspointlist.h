#pragma once

#include <pugixml.hpp>

#include <QList>
#include <QString>

#include "simplayerstate.h"

// The rules of a player's access point list: one connected entry at most,
// connecting saves the profile, forgetting clears it.
class CSimAccessPointList
{
public:
    explicit CSimAccessPointList(QList<CSimAccessPoint> &list) : m_list(list) {}

    // Appends <aplist> with one <ap> per entry, in list order.
    void Write(pugi::xml_node &reply) const;
    // False (and no change) when the entry has a password and it differs. An
    // unknown essid is added, connected and saved.
    bool Connect(const QString &essid, const QString &password, const QString &key);
    // Clears "saved"; false for an unknown essid.
    bool Forget(const QString &essid);
    QString ConnectedEssid() const;

private:
    CSimAccessPoint *FindEntry(const QString &essid);

    QList<CSimAccessPoint> &m_list;
};
