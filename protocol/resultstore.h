#pragma once

#include "stpcmdresulttag.h"

// Receives every successfully decoded query reply. The setup manager is the
// store; the command channel knows it only through this interface, so the
// protocol layer does not depend on the manager.
class CResultStore
{
public:
    virtual ~CResultStore() = default;
    virtual void StoreResult(const STP_CMD_RESULT_TAG &result) = 0;
};
