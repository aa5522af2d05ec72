#include "fakeannouncer.h"

#include <QHostAddress>
#include <QNetworkProxy>
#include <QTest>

CFakeAnnouncer::CFakeAnnouncer(const QString &playerAddress) : m_strAddress(playerAddress) {}

QByteArray CFakeAnnouncer::Description(int host)
{
    const QByteArray number = QByteArray::number(host);
    return "<deviceInfo><model>KS-200</model><name>Player " + number + "</name><ip>127.0.0." +
           number + "</ip><udn>uuid:" + number + "</udn></deviceInfo>";
}

bool CFakeAnnouncer::Connect(quint16 port)
{
    m_socket.setProxy(QNetworkProxy::NoProxy);
    if (!m_socket.bind(QHostAddress(m_strAddress), 0))
        return false;
    m_socket.connectToHost(QHostAddress::LocalHost, port);
    return m_socket.waitForConnected(WAIT_MS);
}

bool CFakeAnnouncer::Send(const QByteArray &bytes)
{
    if (m_socket.write(bytes) != bytes.size())
        return false;
    while (m_socket.bytesToWrite() > 0) {
        if (!m_socket.waitForBytesWritten(WAIT_MS))
            return false;
    }
    return true;
}

bool CFakeAnnouncer::SendPieces(const QList<QByteArray> &pieces)
{
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            QTest::qWait(PIECE_GAP_MS);
        if (!Send(pieces[i]))
            return false;
    }
    return true;
}

bool CFakeAnnouncer::WaitClosedByTool()
{
    if (m_socket.state() == QAbstractSocket::UnconnectedState)
        return true;
    // Anything the tool might send back is of no interest; the close is.
    while (m_socket.waitForReadyRead(WAIT_MS))
        m_socket.readAll();
    return m_socket.state() == QAbstractSocket::UnconnectedState;
}

void CFakeAnnouncer::Close()
{
    m_socket.disconnectFromHost();
    if (m_socket.state() != QAbstractSocket::UnconnectedState)
        m_socket.waitForDisconnected(WAIT_MS);
}
