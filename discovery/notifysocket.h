#pragma once

#include <QString>
#include <QStringDecoder>
#include <QTcpSocket>

class CNotifyReceiver;

// The receiving end of one announcement connection, created on its
// receiver's thread. Collects the text until a closing tag arrives, then
// hands it to the receiver; on any failure it gives up. Either way it closes
// and ends the receiver's thread.
class CNotifySocket : public QTcpSocket
{
    Q_OBJECT

public:
    // How much is read from the connection at a time; also caps what the
    // socket buffers ahead of us.
    static constexpr qint64 READ_CHUNK_BYTES = 4096;

    CNotifySocket(CNotifyReceiver *receiver, qsizetype maxBytes);

    // Starts reading once the descriptor is set.
    void Begin();
    // Closes without handing anything over and ends the receiver's thread.
    void GiveUp();

    const QString &Received() const { return m_strReceived; }

    // Whether text holds a closing tag that starts at from or later.
    static bool HasTerminator(const QString &text, qsizetype from);

private:
    void OnReadyRead();
    void OnClosed();
    void ReadAvailable();
    void Complete();
    void Finish();

    CNotifyReceiver *m_pReceiver;
    QString m_strReceived;
    QStringDecoder m_decoder{QStringDecoder::Utf8};
    qsizetype m_nReceivedBytes = 0;
    qsizetype m_maxBytes;
    bool m_finished = false;
};
