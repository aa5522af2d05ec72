#pragma once

#include <functional>

#include <QDialog>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

// Acts on modal dialogs in place of a person: each dialog that becomes the
// active modal window is handed to the next expected handler, in order.
// Handlers run from the event loop, after the dialog has shown, so they may
// click, type or end it.
class CModalWatcher : public QObject
{
public:
    using Handler = std::function<void(QDialog *dialog)>;

    // Often enough that a test never notices the wait.
    static constexpr int POLL_MS = 5;

    CModalWatcher();

    // The handler for the next modal dialog that opens.
    void Expect(Handler handler);
    // The next modal dialog ends with result.
    void ExpectAndEnd(int result);
    // Handlers not yet used.
    qsizetype Pending() const { return m_handlers.size(); }
    // The dialogs handled so far, in order; null once a dialog is gone.
    const QList<QPointer<QDialog>> &Handled() const { return m_handled; }

private:
    void Poll();

    QTimer m_timer;
    QList<Handler> m_handlers;
    QList<QPointer<QDialog>> m_handled;
};
