// CNotifySocket: the socket of one announcement connection.
#pragma once

#include <QByteArray>
#include <QTcpSocket>

#include "replyterminator.h"

// The receiving end of one announcement connection, created on its
// receiver's thread. Collects bytes until a closing tag arrives and yields
// them; on a close, a read error or too many bytes it gives up. Either way it
// closes and says it has ended. It knows nothing of who listens.
class CNotifySocket : public QTcpSocket
{
    Q_OBJECT

public:
    // How much one read takes. A read holding the closing tag is taken
    // whole, so text sent after the tag in the same burst is seen with it.
    static constexpr qint64 READ_CHUNK_BYTES = 40960;

    explicit CNotifySocket(qsizetype maxBytes, QObject *parent = nullptr);

    // Starts reading once the descriptor is set.
    void Begin();
    // Closes without yielding anything.
    void GiveUp();

signals:
    // The bytes of a complete announcement, the read holding its closing tag
    // included.
    void AnnouncementReceived(const QByteArray &bytes);
    // Emitted once, after AnnouncementReceived or on giving up.
    void Ended();

private:
    void OnClosed();
    void ReadAvailable();
    void Finish();

    QByteArray m_received;
    // An announcement ends with the same closing tags as a reply, searched
    // in the bytes so that no decoder state can hide one.
    CReplyTerminator m_terminator;
    qsizetype m_maxBytes;
    bool m_finished = false;
};
