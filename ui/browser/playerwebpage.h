#pragma once

#include <QString>
#include <QWebEnginePage>

#include "playerbrowser.h"

// The browser page of one player. Only the player's own pages open inside
// the tool: the address came from the network, and a page there could
// otherwise lead the embedded browser anywhere while looking like part of the
// tool. Other links, and pages that want a window of their own, go to the
// desktop's browser.
class QAuthenticator;

class CPlayerWebPage : public QWebEnginePage
{
    Q_OBJECT

public:
    CPlayerWebPage(QWebEngineProfile *profile, CPlayerBrowser::CredentialsAsker asker,
                   QObject *parent);

    // The player's dotted IPv4 address; pages elsewhere leave the tool.
    void SetPlayerHost(const QString &host) { m_strHost = host; }
    bool IsPlayerUrl(const QUrl &url) const;

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;

private:
    void OnAuthenticationRequired(const QUrl &url, QAuthenticator *authenticator);

    CPlayerBrowser::CredentialsAsker m_asker;
    QString m_strHost;
};
