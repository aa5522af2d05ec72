#pragma once

#include <functional>
#include <optional>

#include <QString>
#include <QUrl>

#include "playerbrowser.h"

class QWidget;

// Asks for the user name and password a player's web page wants. Tests
// install an interceptor that answers in place of a person.
class CCredentialsPrompt
{
public:
    using SCredentials = CPlayerBrowser::SCredentials;

    // Answers in place of the prompt; nothing means the user cancelled.
    using Interceptor =
        std::function<std::optional<SCredentials>(const QUrl &url, const QString &realm)>;

    // Nothing when the user cancelled.
    static std::optional<SCredentials> Ask(QWidget *parent, const QUrl &url, const QString &realm);
    // An empty interceptor brings the real prompt back.
    static void SetInterceptor(Interceptor interceptor);

private:
    static Interceptor &CurrentInterceptor();
};
