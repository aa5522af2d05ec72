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
    CWebEngineBrowser(QWidget *parent, CredentialsAsker asker, LoadListener listener);

    QWidget *Widget() override { return this; }
    void Navigate(const QUrl &url, const QString &host) override;

private:
    QWebEngineView *m_pView = nullptr;
    CPlayerWebPage *m_pPage = nullptr;
};
