#include "modalwatcher.h"

#include <QApplication>

CModalWatcher::CModalWatcher()
{
    connect(&m_timer, &QTimer::timeout, this, &CModalWatcher::Poll);
    m_timer.start(POLL_MS);
}

void CModalWatcher::Expect(Handler handler)
{
    m_handlers.append(std::move(handler));
}

void CModalWatcher::ExpectAndEnd(int result)
{
    Expect([result](QDialog *dialog) { dialog->done(result); });
}

void CModalWatcher::Poll()
{
    auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
    if (!dialog || m_handlers.isEmpty() || !dialog->isVisible())
        return;
    for (const QPointer<QDialog> &handled : std::as_const(m_handled)) {
        if (handled == dialog)
            return;
    }
    m_handled.append(dialog);
    Handler handler = m_handlers.takeFirst();
    // Queued, so a handler that opens a further modal loop never blocks this
    // timer, which would then miss the dialogs opened from inside.
    QTimer::singleShot(0, dialog, [handler, dialog] { handler(dialog); });
}
