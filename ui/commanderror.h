#pragma once

#include <QString>

class CSetupManager;

// The box shown after a failed manager operation. Some failures leave the
// manager without a text (a status reply without errcode); the box then names
// the action that failed rather than showing nothing. A command that never
// reached its player is also told by that player's name and address.
class CCommandError
{
public:
    // The manager's text of the failure just met, or fallback when it has none.
    static QString Text(const CSetupManager *manager, const QString &fallback);
    static void Show(const CSetupManager *manager, const QString &fallback);
};
