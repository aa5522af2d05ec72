#pragma once

#include <functional>
#include <optional>

#include <QString>
#include <QUrl>

class QWidget;

// What the tool needs of an embedded browser that shows a player's web page.
// The browser engine lives in a library loaded on first use; this is all the
// tool sees of it, so the tool itself never links the engine.
class CPlayerBrowser
{
public:
    struct SCredentials
    {
        QString m_strUser;
        QString m_strPassword;
    };
    // Asked when a page wants a sign-in; nothing means the user cancelled.
    using CredentialsAsker =
        std::function<std::optional<SCredentials>(const QUrl &url, const QString &realm)>;
    // Told when a page has loaded (ok) or failed, with the engine's reason.
    using LoadListener = std::function<void(bool ok, const QUrl &url, const QString &error)>;
    // Told, once the engine is done with the request, that the user clicked
    // a link to an http or https page that is not the player's. The browser
    // opens nothing outside the player by itself: whether to hand the page to
    // the desktop's browser is for the tool to ask.
    using LeaveRequest = std::function<void(const QUrl &url)>;

    virtual ~CPlayerBrowser() = default;

    // The browser's window; owned by the parent it was created with.
    virtual QWidget *Widget() = 0;
    // Loads url in the background. Only pages on host open inside the
    // browser; a link elsewhere the user clicked goes to the LeaveRequest,
    // every other way out (scripts, redirects, windows the page opens) is
    // refused.
    virtual void Navigate(const QUrl &url, const QString &host) = 0;
};
