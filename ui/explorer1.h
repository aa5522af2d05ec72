// CExplorer1: the embedded web browser inside CSetupWebView, loaded on the first navigation.
#pragma once

#include <QUrl>
#include <QWidget>

class CPlayerBrowser;
class QLabel;

// The embedded web browser. The engine behind it is large and slow to start,
// so its library is loaded and the browser created on the first navigation,
// never before: the tool starts fast, and a session that only sees class-2
// players never loads it. Without the library the page says why and the rest
// of the tool works on.
class CExplorer1 : public QWidget
{
    Q_OBJECT

public:
    explicit CExplorer1(QWidget *parent = nullptr);

    // Loads address in the background; load errors show in the browser.
    // Navigation stays on host; a link elsewhere the user clicked opens in
    // the desktop's browser if the user says so, nothing else leaves.
    void Navigate(const QString &address, const QString &host);
    // Shows text instead of a page, for an address that is not a player's.
    void ShowRefusal(const QString &text);
    // Shown while the browser runs without its sandbox; null until the first
    // navigation.
    QLabel *SandboxNotice() const { return m_pSandboxNotice; }
    QLabel *Refusal() const { return m_pRefusal; }
    // Says why the last page did not load; hidden while pages load.
    QLabel *LoadError() const { return m_pLoadError; }
    // Says why there is no browser: its library could not be loaded.
    QLabel *Unavailable() const { return m_pUnavailable; }
    // The browser's window; null until the first navigation that could load
    // the browser.
    QWidget *View() const;
    // The address last navigated to.
    QUrl LocationUrl() const { return m_url; }
    // Whether object is the browser or a widget inside it.
    bool Contains(const QObject *object) const;

    // Longer addresses are cut in the question that names them.
    static constexpr int MAX_SHOWN_URL = 300;

private:
    bool CreateView();
    // Asks whether a link the user clicked, to a page elsewhere, opens in the
    // desktop's browser.
    void OnLeave(const QUrl &url);
    void OnLoaded(bool ok, const QUrl &url, const QString &error);

    CPlayerBrowser *m_pBrowser = nullptr;
    QLabel *m_pSandboxNotice = nullptr;
    QLabel *m_pRefusal = nullptr;
    QLabel *m_pLoadError = nullptr;
    QLabel *m_pUnavailable = nullptr;
    QUrl m_url;
};
