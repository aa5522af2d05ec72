// CNotifyReceiver: the thread that receives one player's announcement.
#pragma once

#include <optional>

#include <QByteArray>
#include <QDeadlineTimer>
#include <QThread>

class CAnnouncementSink;

// One accepted announcement connection, served on a thread of its own: its
// socket yields the announcement's bytes, CAnnouncement turns them into a
// record, and the record goes to the sink; then the thread ends. It also
// ends, handing over nothing, on a time-out, an oversized or malformed
// announcement, one whose ip is not the connection's far end, an early
// close, a read error or quit().
class CNotifyReceiver : public QThread
{
    Q_OBJECT

public:
    // The time-out runs from now, the moment of accepting. peer is the IPv4
    // address the connection came from (host order), nothing when unknown.
    CNotifyReceiver(qintptr accepted, std::optional<quint32> peer, CAnnouncementSink *sink,
                    int timeoutMs, qsizetype maxBytes);

protected:
    void run() override;

private:
    void Receive();
    void Deliver(const QByteArray &bytes);

    qintptr m_hAccepted;
    std::optional<quint32> m_peer;
    CAnnouncementSink *m_pSink;
    QDeadlineTimer m_deadline;
    qsizetype m_maxBytes;
};
