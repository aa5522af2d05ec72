// CExplorer1: the embedded web browser inside CSetupWebView.
#pragma once

#include <QUrl>
#include <QWidget>

class CPlayerWebPage;
class QLabel;
class QWebEngineView;

// The embedded web browser. The engine behind it is large and slow to start,
// so it is created on the first navigation, never before: the tool starts
// fast, and a session that only sees class-2 players never loads it.
class CExplorer1 : public QWidget
{
    Q_OBJECT

public:
    explicit CExplorer1(QWidget *parent = nullptr);

    // Loads address in the background; load errors show in the browser.
    // Navigation stays on host; other pages open in the desktop's browser.
    void Navigate(const QString &address, const QString &host);
    // Shows text instead of a page, for an address that is not a player's.
    void ShowRefusal(const QString &text);
    // Shown while the browser runs without its sandbox; null until the first
    // navigation.
    QLabel *SandboxNotice() const { return m_pSandboxNotice; }
    QLabel *Refusal() const { return m_pRefusal; }
    // Says why the last page did not load; hidden while pages load.
    QLabel *LoadError() const { return m_pLoadError; }
    // Null until the first navigation.
    QWebEngineView *View() const { return m_pView; }
    // The address last navigated to.
    QUrl LocationUrl() const { return m_url; }
    // Whether object is the browser or a widget inside it.
    bool Contains(const QObject *object) const;

private:
    void CreateView();

    QWebEngineView *m_pView = nullptr;
    CPlayerWebPage *m_pPage = nullptr;
    QLabel *m_pSandboxNotice = nullptr;
    QLabel *m_pRefusal = nullptr;
    QLabel *m_pLoadError = nullptr;
    QUrl m_url;
};
