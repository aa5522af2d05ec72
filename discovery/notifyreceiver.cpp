#include "notifyreceiver.h"

#include <algorithm>
#include <optional>

#include <unistd.h>

#include <QTimer>

#include "announcement.h"
#include "announcementsink.h"
#include "notifysocket.h"
#include "threadhandover.h"

CNotifyReceiver::CNotifyReceiver(qintptr accepted, std::optional<quint32> peer,
                                 CAnnouncementSink *sink, int timeoutMs, qsizetype maxBytes)
    : m_hAccepted(accepted), m_peer(peer), m_pSink(sink), m_deadline(timeoutMs),
      m_maxBytes(maxBytes)
{
    // Deleted on the accepting thread once wait() has returned.
    ThreadHandover::ReleaseAtEnd(this);
}

void CNotifyReceiver::run()
{
    Receive();
}

void CNotifyReceiver::Receive()
{
    CNotifySocket socket(m_maxBytes);
    if (!socket.setSocketDescriptor(m_hAccepted)) {
        // The socket did not take the descriptor over, so it is still ours.
        ::close(static_cast<int>(m_hAccepted));
        return;
    }
    connect(&socket, &CNotifySocket::AnnouncementReceived, &socket,
            [this](const QByteArray &bytes) { Deliver(bytes); });
    connect(&socket, &CNotifySocket::Ended, &socket, [this] { quit(); });
    QTimer timeout;
    timeout.setSingleShot(true);
    connect(&timeout, &QTimer::timeout, &socket, &CNotifySocket::GiveUp);
    timeout.start(static_cast<int>(std::max<qint64>(0, m_deadline.remainingTime())));
    socket.Begin();
    // A socket that ended already has asked to quit; exec() then returns at once.
    exec();
    socket.abort();
}

void CNotifyReceiver::Deliver(const QByteArray &bytes)
{
    const std::optional<CAnnouncement> announcement = CAnnouncement::ParseDeviceInfo(bytes);
    // A connection whose far end cannot be told speaks for nobody.
    if (!announcement || !m_peer || !announcement->CameFrom(*m_peer))
        return;
    if (m_pSink)
        m_pSink->OnDeviceFound(*announcement);
}
