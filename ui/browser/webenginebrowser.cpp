#include "webenginebrowser.h"

#include <QApplication>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include "playerwebpage.h"

CWebEngineBrowser::CWebEngineBrowser(QWidget *parent, CredentialsAsker asker, LoadListener listener,
                                     LeaveRequest leave)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_pView = new QWebEngineView(this);
    // A profile without a storage name keeps everything in memory: the tool
    // stores nothing on disk, cache and cookies included. It is created after
    // the view so that it is deleted after it: a profile must outlive its pages.
    auto *profile = new QWebEngineProfile(this);
    m_pPage = new CPlayerWebPage(profile, std::move(asker), std::move(leave), m_pView);
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
    // The engine's widgets inside the view come and go; the application
    // sees every event first, whichever of them it is for.
    qApp->installEventFilter(this);
}

CWebEngineBrowser::~CWebEngineBrowser()
{
    qApp->removeEventFilter(this);
}

bool CWebEngineBrowser::eventFilter(QObject *watched, QEvent *event)
{
    bool input = false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        input = true;
        break;
    case QEvent::KeyPress: {
        // The keys that follow a link that has the focus.
        const int key = static_cast<QKeyEvent *>(event)->key();
        input = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
        break;
    }
    default:
        break;
    }
    if (input && watched->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(watched);
        if (widget == m_pView || m_pView->isAncestorOf(widget))
            m_pPage->NoteUserInput();
    }
    return QWidget::eventFilter(watched, event);
}

void CWebEngineBrowser::Navigate(const QUrl &url, const QString &host)
{
    m_pPage->SetPlayerHost(host);
    m_pView->setUrl(url);
}
