#pragma once

#include <QWidget>

#include "playerbrowser.h"

class CPlayerWebPage;
class QWebEngineView;

// The browser on the engine: a view of one player's page, with a profile of
// its own that keeps everything in memory.
class CWebEngineBrowser : public QWidget, public CPlayerBrowser
{
    Q_OBJECT

public:
    CWebEngineBrowser(QWidget *parent, CredentialsAsker asker, LoadListener listener,
                      LeaveRequest leave);
    ~CWebEngineBrowser() override;

    QWidget *Widget() override { return this; }
    void Navigate(const QUrl &url, const QString &host) override;

protected:
    // Sees the user's clicks and keys on their way into the engine.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWebEngineView *m_pView = nullptr;
    CPlayerWebPage *m_pPage = nullptr;
};
