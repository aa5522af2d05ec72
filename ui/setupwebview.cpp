#include "setupwebview.h"

#include <QResizeEvent>

#include "setupmanager.h"
#include "ipv4text.h"
#include "templatebuilder.h"

CSetupWebView::CSetupWebView(const CSetupManager &manager, QWidget *parent)
    : QWidget(parent), m_manager(manager)
{
    CTemplateBuilder::Build(IDD, this, {{IDC_EXPLORER, &m_explorer}});
    // The template's rectangle only marks the place: the browser fills the page.
    m_explorer.setGeometry(rect());
}

void CSetupWebView::resizeEvent(QResizeEvent *event)
{
    m_explorer.setGeometry(QRect(QPoint(0, 0), event->size()));
    QWidget::resizeEvent(event);
}

void CSetupWebView::NavigateToDevice()
{
    m_strAddress = m_manager.GetDevice().ip;
    // The address came from the network: anything but a plain IPv4 address
    // could name another host, a port or a path.
    if (!CIpv4Text::IsAddress(m_strAddress)) {
        m_explorer.ShowRefusal(
            QStringLiteral("'%1' is not the address of a player; its page is not shown.")
                .arg(m_strAddress));
        return;
    }
    m_explorer.Navigate(QStringLiteral("http://") + m_strAddress, m_strAddress);
}
