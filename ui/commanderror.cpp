#include "commanderror.h"

#include "messagebox.h"
#include "setupmanager.h"

QString CCommandError::Text(const CSetupManager *manager, const QString &fallback)
{
    const QString text = manager ? manager->GetCommandErrorText() : QString();
    return text.isEmpty() ? fallback : text;
}

void CCommandError::Show(const CSetupManager *manager, const QString &fallback)
{
    CMessageBox::Show(Text(manager, fallback));
}
