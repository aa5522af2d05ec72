#include "testdownloader.h"

#include <algorithm>

#include <QHostAddress>
#include <QNetworkProxy>

namespace {

// Small enough that a paused downloader soon leaves the server nowhere to
// put further bytes but the kernel's buffers.
constexpr qint64 PAUSED_READ_BUFFER = 64 * 1024;

} // namespace

CTestDownloader::CTestDownloader(const QString &localAddress, QObject *parent)
    : QObject(parent), m_socket(this), m_strLocalAddress(localAddress)
{
    // Straight to the server on loopback, whatever the system's proxy says.
    m_socket.setProxy(QNetworkProxy::NoProxy);
    connect(&m_socket, &QTcpSocket::connected, this, &CTestDownloader::OnConnected);
    connect(&m_socket, &QTcpSocket::readyRead, this, &CTestDownloader::OnReadyRead);
    connect(&m_socket, &QTcpSocket::disconnected, this, &CTestDownloader::OnEnded);
    connect(&m_socket, &QTcpSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError error) {
                m_error = error;
                if (m_socket.state() != QAbstractSocket::ConnectedState)
                    OnEnded();
            });
}

void CTestDownloader::Start(quint16 port)
{
    if (m_nPauseAfter >= 0)
        m_socket.setReadBufferSize(PAUSED_READ_BUFFER);
    m_socket.bind(QHostAddress(m_strLocalAddress), 0);
    m_socket.connectToHost(QHostAddress::LocalHost, port);
}

void CTestDownloader::Resume()
{
    m_nPauseAfter = -1;
    m_socket.setReadBufferSize(0);
    OnReadyRead();
}

void CTestDownloader::OnConnected()
{
    m_bConnected = true;
    if (!m_requestLine.isEmpty())
        m_socket.write(m_requestLine);
}

void CTestDownloader::OnReadyRead()
{
    const QByteArray data = m_nPauseAfter >= 0
                                ? m_socket.read(std::max<qint64>(0, m_nPauseAfter - m_nReceived))
                                : m_socket.readAll();
    m_hash.addData(data);
    m_nReceived += data.size();
    if (m_nAbortAfter >= 0 && m_nReceived >= m_nAbortAfter) {
        m_socket.abort();
        OnEnded();
    }
}

void CTestDownloader::OnEnded()
{
    // Bytes that came with the close are still in the buffer.
    if (m_socket.isOpen()) {
        const QByteArray rest = m_socket.readAll();
        m_hash.addData(rest);
        m_nReceived += rest.size();
    }
    m_bDone = true;
}
