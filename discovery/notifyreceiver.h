#pragma once

#include <atomic>

#include <QDeadlineTimer>
#include <QString>
#include <QThread>

class CDeviceDiscover;

// One accepted announcement connection, served on a thread of its own: it
// reads the player's device description until its closing tag, hands the
// player to discovery and ends. It also ends, handing over nothing, on a
// time-out, an oversized text, an early close or a read error.
class CNotifyReceiver : public QThread
{
    Q_OBJECT

public:
    // The time-out runs from now, the moment of accepting.
    CNotifyReceiver(qintptr accepted, CDeviceDiscover *discover, int timeoutMs, qsizetype maxBytes);

    // Hands the player described by text to discovery, unless text is not one
    // well-formed document or lacks any of model, name, ip and udn.
    void ParseDeviceInfo(const QString &text);

    // Whether run() has returned. QThread::wait() synchronises inside Qt,
    // where race checkers cannot see it; this makes the hand-over to the
    // deleting thread explicit.
    bool HasEnded() const { return m_ended.load(std::memory_order_acquire); }

protected:
    void run() override;

private:
    void Receive();

    qintptr m_hAccepted;
    CDeviceDiscover *m_pDiscover;
    QDeadlineTimer m_deadline;
    qsizetype m_maxBytes;
    std::atomic<bool> m_ended{false};
};
