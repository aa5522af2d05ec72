#include "webenginebrowser.h"

#include <QVBoxLayout>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include "playerwebpage.h"

CWebEngineBrowser::CWebEngineBrowser(QWidget *parent, CredentialsAsker asker, LoadListener listener)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_pView = new QWebEngineView(this);
    // A profile without a storage name keeps everything in memory: the tool
    // stores nothing on disk, cache and cookies included. It is created after
    // the view so that it is deleted after it: a profile must outlive its pages.
    auto *profile = new QWebEngineProfile(this);
    m_pPage = new CPlayerWebPage(profile, std::move(asker), m_pView);
    m_pView->setPage(m_pPage);
    layout->addWidget(m_pView);
    setFocusProxy(m_pView);
    connect(m_pPage, &QWebEnginePage::loadingChanged, this,
            [listener = std::move(listener)](const QWebEngineLoadingInfo &info) {
                if (!listener)
                    return;
                if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus)
                    listener(false, info.url(), info.errorString());
                else if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus)
                    listener(true, info.url(), {});
            });
}

void CWebEngineBrowser::Navigate(const QUrl &url, const QString &host)
{
    m_pPage->SetPlayerHost(host);
    m_pView->setUrl(url);
}
