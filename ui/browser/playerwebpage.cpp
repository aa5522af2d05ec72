#include "playerwebpage.h"

#include <QAuthenticator>
#include <QTimer>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineSettings>

namespace {

constexpr int HTTP_PORT = 80;

bool IsWebUrl(const QUrl &url)
{
    return url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
}

// Parts of the player's own page that are made in the page, not fetched.
bool IsInlineUrl(const QUrl &url)
{
    return url.scheme() == QLatin1String("about") || url.scheme() == QLatin1String("data") ||
           url.scheme() == QLatin1String("blob");
}

} // namespace

CPlayerWebPage::CPlayerWebPage(QWebEngineProfile *profile, CPlayerBrowser::CredentialsAsker asker,
                               CPlayerBrowser::LeaveRequest leave, QObject *parent)
    : QWebEnginePage(profile, parent), m_asker(std::move(asker)), m_leave(std::move(leave))
{
    // The engine's own guards come first: no window without the user's
    // click, and no mail, telephone or other program started from a page.
    settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings()->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
    connect(this, &QWebEnginePage::authenticationRequired, this,
            &CPlayerWebPage::OnAuthenticationRequired);
    connect(this, &QWebEnginePage::newWindowRequested, this, &CPlayerWebPage::OnNewWindowRequested);
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

bool CPlayerWebPage::TakeUserInput()
{
    const bool recent = m_lastInput.isValid() && m_lastInput.elapsed() <= USER_INPUT_MS;
    m_lastInput.invalidate();
    return recent;
}

void CPlayerWebPage::Leave(const QUrl &url, bool clicked)
{
    // Only the user's own click on a web address may lead to a question;
    // everything else a page tries is refused without one, so a page cannot
    // pester the user with boxes either.
    if (!clicked || !IsWebUrl(url) || !m_leave)
        return;
    QTimer::singleShot(0, this, [this, url] {
        if (m_leave)
            m_leave(url);
    });
}

bool CPlayerWebPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (IsPlayerUrl(url))
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    // A frame inside the page may hold what the page makes itself, never
    // another site's content in the player's frame.
    if (!isMainFrame)
        return IsInlineUrl(url) && type != NavigationTypeRedirect;
    Leave(url, type == NavigationTypeLinkClicked && TakeUserInput());
    return false;
}

// A link that opens a window of its own, or a script's window.open(): the
// engine says whether the user started it, and the tool's own record of the
// user's input has to agree.
void CPlayerWebPage::OnNewWindowRequested(QWebEngineNewWindowRequest &request)
{
    const QUrl url = request.requestedUrl();
    const bool clicked = request.isUserInitiated() && TakeUserInput();
    if (IsPlayerUrl(url)) {
        // The player's own page stays in this one view.
        if (clicked)
            QTimer::singleShot(0, this, [this, url] { setUrl(url); });
        return;
    }
    Leave(url, clicked);
}

// Not opened in any case: the request has been dealt with above.
QWebEnginePage *CPlayerWebPage::createWindow(WebWindowType)
{
    return nullptr;
}
