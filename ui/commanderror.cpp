#include "commanderror.h"

#include "messagebox.h"
#include "setupmanager.h"

QString CCommandError::Text(const CSetupManager *manager, const QString &fallback)
{
    QString text = manager ? manager->GetCommandErrorText() : QString();
    if (text.isEmpty())
        text = fallback;
    // A cause such as "connection failed" does not say which player was
    // meant; the player list may name several.
    const QString unreached = manager ? manager->GetUnreachedText() : QString();
    return unreached.isEmpty() ? text : unreached + QLatin1Char('\n') + text;
}

void CCommandError::Show(const CSetupManager *manager, const QString &fallback)
{
    CMessageBox::Show(Text(manager, fallback));
}
