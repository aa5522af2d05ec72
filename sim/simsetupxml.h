#pragma once

#include <pugixml.hpp>

#include "simnetsetup.h"

// The six elements of a LAN or Wi-Fi set-up, in the order the player uses.
namespace SimSetupXml {

void Write(const CSimNetSetup &setup, pugi::xml_node &reply);
// All six must be present; otherwise the set-up stays as it was.
bool Read(const pugi::xml_node &request, CSimNetSetup &setup);

} // namespace SimSetupXml
