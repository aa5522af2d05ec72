#include "notifysocket.h"

CNotifySocket::CNotifySocket(qsizetype maxBytes, QObject *parent)
    : QTcpSocket(parent), m_maxBytes(maxBytes)
{
    setReadBufferSize(READ_CHUNK_BYTES);
}

void CNotifySocket::Begin()
{
    connect(this, &QTcpSocket::readyRead, this, &CNotifySocket::ReadAvailable);
    connect(this, &QTcpSocket::disconnected, this, &CNotifySocket::OnClosed);
    connect(this, &QTcpSocket::errorOccurred, this, &CNotifySocket::OnClosed);
    // Bytes that came with the connection may already be waiting.
    ReadAvailable();
    if (!m_finished && state() != QAbstractSocket::ConnectedState)
        Finish();
}

void CNotifySocket::OnClosed()
{
    // What arrived before the close still counts.
    ReadAvailable();
    if (!m_finished)
        Finish();
}

void CNotifySocket::ReadAvailable()
{
    while (!m_finished && bytesAvailable() > 0) {
        const QByteArray chunk = read(READ_CHUNK_BYTES);
        if (chunk.isEmpty())
            break;
        if (m_received.size() + chunk.size() > m_maxBytes) {
            Finish();
            return;
        }
        m_received += chunk;
        m_terminator.Feed(chunk);
        if (m_terminator.Found()) {
            emit AnnouncementReceived(m_received);
            Finish();
        }
    }
}

void CNotifySocket::GiveUp()
{
    if (!m_finished)
        Finish();
}

void CNotifySocket::Finish()
{
    m_finished = true;
    m_received.clear();
    abort();
    emit Ended();
}
