#include "fakemainwindow.h"

#include "postedmessage.h"

bool CFakeMainWindow::event(QEvent *event)
{
    auto *message = dynamic_cast<CPostedMessage *>(event);
    if (message && message->Message() == WM_DEVICE_LIST_CHANGED && message->WParam() == 0 &&
        message->LParam() == 0) {
        ++m_nListChanges;
        return true;
    }
    return QObject::event(event);
}
