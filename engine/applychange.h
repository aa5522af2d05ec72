#pragma once

#include <QString>

#include "planstate.h"

// One change of a plan entry and what became of it on the player.
class CApplyChange
{
public:
    enum class EState
    {
        Planned,      // --dry-run: would be sent
        Applied,      // read back as planned
        NotSent,      // an earlier step failed, so it was never sent
        Unknown,      // sent, but the player could not be read back
        NotApplied,   // sent, yet the player reads otherwise
        PendingReboot // the set-up reads as planned, the player does not run it yet
    };

    static QString StateName(EState state);

    CPlanChange m_change;
    EState m_state = EState::Planned;
    // The change is the address an interface uses, not its stored set-up:
    // the set-up already reads as planned and only a reboot brings it in.
    bool m_bInUse = false;
};
