#pragma once

#include <QString>

class CSetupManager;

// The box shown after a failed manager operation. Some failures leave the
// manager without a text (a status reply without errcode, a send that broke
// off); the box then names the action that failed rather than showing nothing.
class CCommandError
{
public:
    // The manager's text of the failure just met, or fallback when it has none.
    static QString Text(const CSetupManager *manager, const QString &fallback);
    static void Show(const CSetupManager *manager, const QString &fallback);
};
