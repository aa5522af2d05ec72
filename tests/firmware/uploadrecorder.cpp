#include "uploadrecorder.h"

#include <QTest>

#include "postedmessage.h"

void CUploadRecorder::customEvent(QEvent *event)
{
    const int message = static_cast<int>(event->type());
    if (message != WM_UPLOAD_PROGRESS && message != WM_UPLOAD_FAILED)
        return;
    const auto *posted = static_cast<CPostedMessage *>(event);
    QCOMPARE(posted->LParam(), 0);
    if (message == WM_UPLOAD_PROGRESS)
        m_progress.append(posted->WParam());
    else
        m_failures.append(posted->Text());
}
