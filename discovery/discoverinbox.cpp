#include "discoverinbox.h"

#include <QEvent>

#include "devicediscover.h"
#include "postedmessage.h"

CDiscoverInbox::CDiscoverInbox(CDeviceDiscover *discover) : m_pDiscover(discover) {}

int CDiscoverInbox::QuitRequest()
{
    static const int type = QEvent::registerEventType();
    return type;
}

bool CDiscoverInbox::event(QEvent *event)
{
    const int type = static_cast<int>(event->type());
    if (type == WM_DISCOVER_SWEEP) {
        m_pDiscover->SweepChosen();
        return true;
    }
    if (type == QuitRequest()) {
        m_pDiscover->exit();
        return true;
    }
    return QObject::event(event);
}
