#pragma once

#include <pugixml.hpp>

#include <QString>

#include "simplayerstate.h"

// A player's stored profiles, kept as the tool sent them.
class CSimProfileList
{
public:
    explicit CSimProfileList(CSimPlayerState &state) : m_state(state) {}

    void WriteAll(pugi::xml_node &reply) const;
    // Writes the profile named by a name, ssid or essid in the request, else
    // the active one, else the first; false when there is none.
    bool WriteOne(const pugi::xml_node &request, pugi::xml_node &reply) const;
    // Both take the request's <profile>; false when it has none.
    bool Add(const pugi::xml_node &request);
    // Replaces the profile with the same name (or ssid), else adds it.
    bool Set(const pugi::xml_node &request);
    bool Activate(const QString &ssid);
    void Remove(const QString &ssid);

private:
    const CSimProfile *Choose(const pugi::xml_node &request) const;

    CSimPlayerState &m_state;
};
