#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QWebEnginePage>

#include "playerbrowser.h"

// The browser page of one player. Only the player's own pages open inside
// the tool: the address came from the network, and a page there could
// otherwise lead the embedded browser anywhere while looking like part of the
// tool. Nor may it send the user anywhere else on its own: a page elsewhere
// leaves the tool only through a link the user clicked, and only after the
// tool has asked; scripts, redirects and windows the page opens by itself go
// nowhere.
class QAuthenticator;
class QWebEngineNewWindowRequest;

class CPlayerWebPage : public QWebEnginePage
{
    Q_OBJECT

public:
    // How long after the user's click or key a navigation still counts as
    // theirs: the engine takes a moment to turn a click into a request, also
    // on a loaded machine, while a page acting on its own later counts not.
    static constexpr qint64 USER_INPUT_MS = 2000;

    CPlayerWebPage(QWebEngineProfile *profile, CPlayerBrowser::CredentialsAsker asker,
                   CPlayerBrowser::LeaveRequest leave, QObject *parent);

    // The player's dotted IPv4 address; pages elsewhere leave the tool.
    void SetPlayerHost(const QString &host) { m_strHost = host; }
    bool IsPlayerUrl(const QUrl &url) const;
    // The user pressed a mouse button or a key that can follow a link in the page.
    void NoteUserInput() { m_lastInput.start(); }

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;

private:
    void OnAuthenticationRequired(const QUrl &url, QAuthenticator *authenticator);
    void OnNewWindowRequested(QWebEngineNewWindowRequest &request);
    // Whether the user's last input may account for a request; one input
    // accounts for one request at most.
    bool TakeUserInput();
    // Hands a clicked link elsewhere to the tool, after the engine's call has
    // returned: the tool asks in a modal box.
    void Leave(const QUrl &url, bool clicked);

    CPlayerBrowser::CredentialsAsker m_asker;
    CPlayerBrowser::LeaveRequest m_leave;
    QString m_strHost;
    QElapsedTimer m_lastInput;
};
