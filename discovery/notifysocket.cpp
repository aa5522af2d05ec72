#include "notifysocket.h"

#include <algorithm>
#include <array>

namespace {

// A player ends its announcement with one of these closing tags. They are
// searched in the bytes, before any decoding, so that no decoder state can
// hide one.
const std::array<QByteArrayView, 2> kTerminators = {QByteArrayView("</Tavrion>"),
                                                    QByteArrayView("</deviceInfo>")};

qsizetype LongestTerminator()
{
    qsizetype longest = 0;
    for (const QByteArrayView &terminator : kTerminators)
        longest = std::max(longest, terminator.size());
    return longest;
}

} // namespace

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

bool CNotifySocket::HasTerminator(const QByteArray &bytes, qsizetype from)
{
    const QByteArrayView tail =
        QByteArrayView(bytes).sliced(std::clamp<qsizetype>(from, 0, bytes.size()));
    for (const QByteArrayView &terminator : kTerminators) {
        if (tail.indexOf(terminator) >= 0)
            return true;
    }
    return false;
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
        // Only the new bytes, and the tail of the old ones that a tag split
        // across two reads may have started in, need searching.
        const qsizetype from = m_received.size() - (LongestTerminator() - 1);
        m_received += chunk;
        if (HasTerminator(m_received, from)) {
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
