#include "simaccesspointlist.h"

#include "simxml.h"

namespace {

QString Flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// An access point the player has never seen shows up with no signal reading.
const QString kUnknownQuality = QStringLiteral("0");

} // namespace

void CSimAccessPointList::Write(pugi::xml_node &reply) const
{
    pugi::xml_node list = reply.append_child("aplist");
    for (const CSimAccessPoint &entry : m_list) {
        pugi::xml_node ap = list.append_child("ap");
        SimXml::AddText(ap, "essid", entry.m_strEssid);
        SimXml::AddText(ap, "encryptionkey", entry.m_strEncryptionKey);
        SimXml::AddText(ap, "quality", entry.m_strQuality);
        SimXml::AddText(ap, "connected", Flag(entry.m_connected));
        SimXml::AddText(ap, "saved", Flag(entry.m_saved));
    }
}

bool CSimAccessPointList::Connect(const QString &essid, const QString &password, const QString &key)
{
    CSimAccessPoint *target = FindEntry(essid);
    // A saved network is joined with the password kept in its profile when
    // none is given; a password that is given must match.
    const bool useKept = target && target->m_saved && password.isEmpty();
    if (target && !useKept && !target->m_strPassword.isEmpty() && target->m_strPassword != password)
        return false;
    for (CSimAccessPoint &entry : m_list)
        entry.m_connected = false;
    if (!target) {
        CSimAccessPoint added;
        added.m_strEssid = essid;
        added.m_strEncryptionKey = key;
        added.m_strQuality = kUnknownQuality;
        m_list.append(added);
        target = &m_list.last();
    }
    target->m_connected = true;
    target->m_saved = true;
    return true;
}

bool CSimAccessPointList::Forget(const QString &essid)
{
    CSimAccessPoint *entry = FindEntry(essid);
    if (!entry)
        return false;
    entry->m_saved = false;
    return true;
}

QString CSimAccessPointList::ConnectedEssid() const
{
    for (const CSimAccessPoint &entry : m_list) {
        if (entry.m_connected)
            return entry.m_strEssid;
    }
    return {};
}

CSimAccessPoint *CSimAccessPointList::FindEntry(const QString &essid)
{
    for (CSimAccessPoint &entry : m_list) {
        if (entry.m_strEssid == essid)
            return &entry;
    }
    return nullptr;
}
