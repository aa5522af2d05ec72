#include "explorer1.h"

#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

CExplorer1::CExplorer1(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

void CExplorer1::CreateView()
{
    m_pView = new QWebEngineView(this);
    // A profile without a storage name keeps everything in memory: the tool
    // stores nothing on disk, cache and cookies included. It is created after
    // the view so that it is deleted after it: a profile must outlive its pages.
    auto *profile = new QWebEngineProfile(this);
    m_pView->setPage(new QWebEnginePage(profile, m_pView));
    layout()->addWidget(m_pView);
}

void CExplorer1::Navigate(const QString &address)
{
    if (!m_pView)
        CreateView();
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
