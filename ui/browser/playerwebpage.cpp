#include "playerwebpage.h"

#include <QAuthenticator>
#include <QDesktopServices>

namespace {

// Takes the first navigation of a window a page asked for, hands its address
// to the desktop's browser and goes.
class CDesktopHandOffPage : public QWebEnginePage
{
public:
    CDesktopHandOffPage(QWebEngineProfile *profile, QObject *parent)
        : QWebEnginePage(profile, parent)
    {}

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType, bool) override
    {
        QDesktopServices::openUrl(url);
        deleteLater();
        return false;
    }
};

constexpr int HTTP_PORT = 80;

} // namespace

CPlayerWebPage::CPlayerWebPage(QWebEngineProfile *profile, CPlayerBrowser::CredentialsAsker asker,
                               QObject *parent)
    : QWebEnginePage(profile, parent), m_asker(std::move(asker))
{
    connect(this, &QWebEnginePage::authenticationRequired, this,
            &CPlayerWebPage::OnAuthenticationRequired);
}

// Left alone, the engine drops the request and shows an empty page.
void CPlayerWebPage::OnAuthenticationRequired(const QUrl &url, QAuthenticator *authenticator)
{
    const std::optional<CPlayerBrowser::SCredentials> credentials =
        m_asker ? m_asker(url, authenticator->realm()) : std::nullopt;
    if (!credentials) {
        // An empty authenticator cancels the request.
        *authenticator = QAuthenticator();
        return;
    }
    authenticator->setUser(credentials->m_strUser);
    authenticator->setPassword(credentials->m_strPassword);
}

bool CPlayerWebPage::IsPlayerUrl(const QUrl &url) const
{
    return !m_strHost.isEmpty() && url.scheme() == QLatin1String("http") &&
           url.host() == m_strHost && url.port(HTTP_PORT) == HTTP_PORT;
}

bool CPlayerWebPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (!isMainFrame || IsPlayerUrl(url))
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    QDesktopServices::openUrl(url);
    return false;
}

QWebEnginePage *CPlayerWebPage::createWindow(WebWindowType)
{
    return new CDesktopHandOffPage(profile(), this);
}
