#include "webenginebrowserplugin.h"

#include "webenginebrowser.h"

CPlayerBrowser *CWebEngineBrowserPlugin::Create(QWidget *parent,
                                                CPlayerBrowser::CredentialsAsker asker,
                                                CPlayerBrowser::LoadListener listener,
                                                CPlayerBrowser::LeaveRequest leave)
{
    return new CWebEngineBrowser(parent, std::move(asker), std::move(listener), std::move(leave));
}
