#include "simsetupxml.h"

#include <array>

#include "simxml.h"

namespace SimSetupXml {

namespace {

// Element name and the field it maps to, in wire order.
constexpr std::array<std::pair<const char *, QString CSimNetSetup::*>, 6> kFields{{
    {"setupmode", &CSimNetSetup::m_strSetupMode},
    {"ipaddress", &CSimNetSetup::m_strIpAddress},
    {"subnetmask", &CSimNetSetup::m_strSubnetMask},
    {"defaultgateway", &CSimNetSetup::m_strDefaultGateway},
    {"primarydns", &CSimNetSetup::m_strPrimaryDns},
    {"seconddns", &CSimNetSetup::m_strSecondDns},
}};

} // namespace

void Write(const CSimNetSetup &setup, pugi::xml_node &reply)
{
    for (const auto &[name, field] : kFields)
        SimXml::AddText(reply, name, setup.*field);
}

bool Read(const pugi::xml_node &request, CSimNetSetup &setup)
{
    CSimNetSetup sent;
    for (const auto &[name, field] : kFields) {
        const auto value = SimXml::Text(request, name);
        if (!value)
            return false;
        sent.*field = *value;
    }
    setup = sent;
    return true;
}

} // namespace SimSetupXml
