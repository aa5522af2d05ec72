#include "notifysocket.h"

#include <algorithm>
#include <array>

#include "notifyreceiver.h"

namespace {

// A player ends its announcement with one of these closing tags.
const std::array<QLatin1String, 2> kTerminators = {QLatin1String("</Tavrion>"),
                                                   QLatin1String("</deviceInfo>")};

qsizetype LongestTerminator()
{
    qsizetype longest = 0;
    for (const QLatin1String &terminator : kTerminators)
        longest = std::max(longest, terminator.size());
    return longest;
}

} // namespace

CNotifySocket::CNotifySocket(CNotifyReceiver *receiver, qsizetype maxBytes)
    : m_pReceiver(receiver), m_maxBytes(maxBytes)
{
    setReadBufferSize(READ_CHUNK_BYTES);
}

void CNotifySocket::Begin()
{
    connect(this, &QTcpSocket::readyRead, this, &CNotifySocket::OnReadyRead);
    connect(this, &QTcpSocket::disconnected, this, &CNotifySocket::OnClosed);
    connect(this, &QTcpSocket::errorOccurred, this, &CNotifySocket::OnClosed);
    // Bytes that came with the connection may already be waiting.
    ReadAvailable();
    if (!m_finished && state() != QAbstractSocket::ConnectedState)
        Finish();
}

bool CNotifySocket::HasTerminator(const QString &text, qsizetype from)
{
    for (const QLatin1String &terminator : kTerminators) {
        if (text.indexOf(terminator, from) >= 0)
            return true;
    }
    return false;
}

void CNotifySocket::OnReadyRead()
{
    ReadAvailable();
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
        const QByteArray chunk = read(std::min(bytesAvailable(), READ_CHUNK_BYTES));
        if (chunk.isEmpty())
            break;
        m_nReceivedBytes += chunk.size();
        if (m_nReceivedBytes > m_maxBytes) {
            Finish();
            return;
        }
        // Only the new text, and the tail of the old one that a tag split
        // across two reads may have started in, needs searching.
        const qsizetype from =
            std::max<qsizetype>(0, m_strReceived.size() - (LongestTerminator() - 1));
        m_strReceived += m_decoder.decode(chunk);
        if (HasTerminator(m_strReceived, from))
            Complete();
    }
}

void CNotifySocket::Complete()
{
    m_pReceiver->ParseDeviceInfo(QString(m_strReceived));
    Finish();
}

void CNotifySocket::GiveUp()
{
    if (!m_finished)
        Finish();
}

void CNotifySocket::Finish()
{
    m_finished = true;
    abort();
    m_pReceiver->quit();
}
