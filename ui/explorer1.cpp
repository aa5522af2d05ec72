#include "explorer1.h"

#include <QLabel>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include "playerwebpage.h"

CExplorer1::CExplorer1(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_pRefusal = new QLabel(this);
    m_pRefusal->setWordWrap(true);
    m_pRefusal->setAlignment(Qt::AlignCenter);
    m_pRefusal->hide();
    layout->addWidget(m_pRefusal);
    m_pLoadError = new QLabel(this);
    m_pLoadError->setWordWrap(true);
    m_pLoadError->hide();
    layout->addWidget(m_pLoadError);
}

void CExplorer1::ShowRefusal(const QString &text)
{
    if (m_pView)
        m_pView->hide();
    m_pRefusal->setText(text);
    m_pRefusal->show();
}

void CExplorer1::CreateView()
{
    // The engine runs without its sandbox when the tool runs as root; the
    // user is told, since pages then run with the tool's own rights.
    if (qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        m_pSandboxNotice = new QLabel(
            QStringLiteral("The browser runs without its sandbox because this tool runs as "
                           "root."),
            this);
        m_pSandboxNotice->setWordWrap(true);
        layout()->addWidget(m_pSandboxNotice);
    }
    m_pView = new QWebEngineView(this);
    // A profile without a storage name keeps everything in memory: the tool
    // stores nothing on disk, cache and cookies included. It is created after
    // the view so that it is deleted after it: a profile must outlive its pages.
    auto *profile = new QWebEngineProfile(this);
    m_pPage = new CPlayerWebPage(profile, m_pView);
    m_pView->setPage(m_pPage);
    layout()->addWidget(m_pView);
    connect(m_pPage, &QWebEnginePage::loadingChanged, this,
            [this](const QWebEngineLoadingInfo &info) {
                if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus) {
                    m_pLoadError->setText(QStringLiteral("The page at %1 could not be loaded: %2")
                                              .arg(info.url().toString(), info.errorString()));
                    m_pLoadError->show();
                } else if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus) {
                    m_pLoadError->hide();
                }
            });
}

void CExplorer1::Navigate(const QString &address, const QString &host)
{
    if (!m_pView)
        CreateView();
    m_pRefusal->hide();
    m_pLoadError->hide();
    m_pView->show();
    m_pPage->SetPlayerHost(host);
    m_url = QUrl(address, QUrl::TolerantMode);
    m_pView->setUrl(m_url);
}

bool CExplorer1::Contains(const QObject *object) const
{
    for (; object; object = object->parent()) {
        if (object == this)
            return true;
    }
    return false;
}
