#include "uploadrecorder.h"

#include <QHostAddress>
#include <QTest>

#include "postedmessage.h"

void CUploadRecorder::customEvent(QEvent *event)
{
    const int message = static_cast<int>(event->type());
    if (message != WM_UPLOAD_PROGRESS && message != WM_UPLOAD_FAILED)
        return;
    const auto *posted = static_cast<CPostedMessage *>(event);
    if (message == WM_UPLOAD_PROGRESS) {
        m_progress.append(posted->WParam());
        m_progressPlayers.append(QHostAddress(static_cast<quint32>(posted->LParam())).toString());
    } else {
        m_failures.append(posted->Text());
    }
}
