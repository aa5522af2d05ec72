#pragma once

#include <QtPlugin>

#include "playerbrowser.h"

// The entry point of the browser library: makes browsers.
class CBrowserFactory
{
public:
    virtual ~CBrowserFactory() = default;

    // A browser whose window is a child of parent and is deleted with it.
    virtual CPlayerBrowser *Create(QWidget *parent, CPlayerBrowser::CredentialsAsker asker,
                                   CPlayerBrowser::LoadListener listener,
                                   CPlayerBrowser::LeaveRequest leave) = 0;
};

// The version names the interface above; a library built against another
// one is refused when it is loaded.
#define KESTAVON_BROWSER_FACTORY_IID "com.kestavon.Setup.BrowserFactory/2"
Q_DECLARE_INTERFACE(CBrowserFactory, KESTAVON_BROWSER_FACTORY_IID)
