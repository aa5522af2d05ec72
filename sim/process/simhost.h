#pragma once

#include <QString>

// Checks and settings of the host process the simulator runs in.
namespace SimHost {

// True when loopback is the only interface that is up, as inside
// scripts/netns-run; otherwise false with the first other interface named.
bool OnlyLoopbackIsUp(QString *offending);

// Raises the open-file limit to the hard limit: every player holds a few
// sockets, and a full /24 of players needs far more than the usual 1024.
void RaiseFileLimit();

} // namespace SimHost
