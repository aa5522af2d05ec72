#include "simprofilelist.h"

#include <optional>

#include "simxml.h"

namespace {

std::optional<CSimProfile> ReadProfile(const pugi::xml_node &request)
{
    const pugi::xml_node node = request.select_node("profile").node();
    if (!node)
        return std::nullopt;
    CSimProfile profile;
    profile.m_strName = SimXml::Text(node, "name").value_or(QString());
    profile.m_strSsid = SimXml::Text(node, "ssid").value_or(QString());
    profile.m_strSecurityMode = SimXml::Text(node, "securitymode").value_or(QString());
    profile.m_strSignalStrength = SimXml::Text(node, "signalstrength").value_or(QString());
    return profile;
}

void WriteProfile(const CSimProfile &profile, pugi::xml_node &parent)
{
    pugi::xml_node node = parent.append_child("profile");
    SimXml::AddText(node, "name", profile.m_strName);
    SimXml::AddText(node, "ssid", profile.m_strSsid);
    SimXml::AddText(node, "securitymode", profile.m_strSecurityMode);
    SimXml::AddText(node, "signalstrength", profile.m_strSignalStrength);
}

} // namespace

void CSimProfileList::WriteAll(pugi::xml_node &reply) const
{
    pugi::xml_node list = reply.append_child("profilelist");
    for (const CSimProfile &profile : m_state.m_profiles)
        WriteProfile(profile, list);
}

bool CSimProfileList::WriteOne(const pugi::xml_node &request, pugi::xml_node &reply) const
{
    const CSimProfile *profile = Choose(request);
    if (!profile)
        return false;
    WriteProfile(*profile, reply);
    return true;
}

bool CSimProfileList::Add(const pugi::xml_node &request)
{
    const auto profile = ReadProfile(request);
    if (!profile)
        return false;
    m_state.m_profiles.append(*profile);
    return true;
}

bool CSimProfileList::Set(const pugi::xml_node &request)
{
    const auto profile = ReadProfile(request);
    if (!profile)
        return false;
    for (CSimProfile &old : m_state.m_profiles) {
        const bool sameName = !profile->m_strName.isEmpty() && old.m_strName == profile->m_strName;
        if (sameName || (profile->m_strName.isEmpty() && old.m_strSsid == profile->m_strSsid)) {
            old = *profile;
            return true;
        }
    }
    m_state.m_profiles.append(*profile);
    return true;
}

bool CSimProfileList::Activate(const QString &ssid)
{
    for (const CSimProfile &profile : m_state.m_profiles) {
        if (profile.m_strSsid == ssid) {
            m_state.m_strActiveProfile = ssid;
            return true;
        }
    }
    return false;
}

void CSimProfileList::Remove(const QString &ssid)
{
    m_state.m_profiles.removeIf([&ssid](const CSimProfile &p) { return p.m_strSsid == ssid; });
    if (m_state.m_strActiveProfile == ssid)
        m_state.m_strActiveProfile.clear();
}

const CSimProfile *CSimProfileList::Choose(const pugi::xml_node &request) const
{
    const auto key = SimXml::Text(request, "(.//name | .//ssid | .//essid)[1]");
    const QString wanted = key ? *key : m_state.m_strActiveProfile;
    for (const CSimProfile &profile : m_state.m_profiles) {
        if (!wanted.isEmpty() && (profile.m_strName == wanted || profile.m_strSsid == wanted))
            return &profile;
    }
    if (key || m_state.m_profiles.isEmpty())
        return nullptr;
    return &m_state.m_profiles.first();
}
