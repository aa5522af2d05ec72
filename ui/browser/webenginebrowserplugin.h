#pragma once

#include <QObject>

#include "browserfactory.h"

// The library's plugin object: what the tool finds when it loads the
// browser library.
class CWebEngineBrowserPlugin : public QObject, public CBrowserFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID KESTAVON_BROWSER_FACTORY_IID)
    Q_INTERFACES(CBrowserFactory)

public:
    CPlayerBrowser *Create(QWidget *parent, CPlayerBrowser::CredentialsAsker asker,
                           CPlayerBrowser::LoadListener listener,
                           CPlayerBrowser::LeaveRequest leave) override;
};
