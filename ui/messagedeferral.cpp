#include "messagedeferral.h"

#include <QTimerEvent>

#include "postedmessage.h"

bool CMessageDeferral::HoldIfNeeded(const QEvent *event, bool busy)
{
    if (!busy && m_held.isEmpty())
        return false;
    SMessage message;
    message.m_nMessage = static_cast<int>(event->type());
    if (event->type() == QEvent::Timer) {
        message.m_wParam = static_cast<const QTimerEvent *>(event)->timerId();
    } else {
        const auto *posted = static_cast<const CPostedMessage *>(event);
        message.m_wParam = posted->WParam();
        message.m_lParam = posted->LParam();
        message.m_strText = posted->Text();
    }
    if (message.m_nMessage == WM_DEVICE_LIST_CHANGED && !m_held.isEmpty() &&
        m_held.last().m_nMessage == WM_DEVICE_LIST_CHANGED)
        return true;
    if (m_held.size() >= MAX_HELD)
        m_held.removeFirst();
    m_held.append(message);
    return true;
}

std::optional<CMessageDeferral::SMessage> CMessageDeferral::TakeNext()
{
    if (m_held.isEmpty())
        return std::nullopt;
    return m_held.takeFirst();
}
