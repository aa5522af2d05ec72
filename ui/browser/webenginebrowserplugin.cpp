#include "webenginebrowserplugin.h"

#include "webenginebrowser.h"

CPlayerBrowser *CWebEngineBrowserPlugin::Create(QWidget *parent,
                                                CPlayerBrowser::CredentialsAsker asker,
                                                CPlayerBrowser::LoadListener listener)
{
    return new CWebEngineBrowser(parent, std::move(asker), std::move(listener));
}
