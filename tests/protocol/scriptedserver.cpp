#include "scriptedserver.h"

#include <QDeadlineTimer>
#include <QMutexLocker>
#include <QTcpServer>
#include <QTcpSocket>

#include "threadhandover.h"

namespace {

constexpr quint16 kCommandPort = 10015;
constexpr int kStartTimeoutMs = 5000;
constexpr int kIoTimeoutMs = 3000;
constexpr int kPollMs = 20;

} // namespace

CScriptedServer::CScriptedServer(const QHostAddress &address, Script script)
    : m_address(address), m_script(std::move(script))
{
    ThreadHandover::ReleaseAtEnd(this);
}

CScriptedServer::~CScriptedServer()
{
    m_stop = true;
    wait();
    ThreadHandover::AcquireEnded(this);
}

bool CScriptedServer::Start()
{
    start();
    return m_ready.tryAcquire(1, kStartTimeoutMs) && m_listening;
}

QList<QByteArray> CScriptedServer::Requests() const
{
    QMutexLocker locker(&m_mutex);
    return m_requests;
}

void CScriptedServer::run()
{
    QTcpServer server;
    m_listening = server.listen(m_address, kCommandPort);
    m_ready.release();
    while (m_listening && !m_stop) {
        if (!server.waitForNewConnection(kPollMs))
            continue;
        QTcpSocket *socket = server.nextPendingConnection();
        Serve(*socket);
        delete socket;
    }
}

void CScriptedServer::Serve(QTcpSocket &socket)
{
    const QByteArray request = ReadRequest(socket);
    {
        QMutexLocker locker(&m_mutex);
        m_requests.append(request);
    }
    for (const QByteArray &piece : m_script.pieces) {
        socket.write(piece);
        socket.waitForBytesWritten(kIoTimeoutMs);
        QThread::msleep(static_cast<unsigned long>(m_script.pauseMs));
    }
    const QDeadlineTimer hold(m_script.holdMs);
    while (!hold.hasExpired() && !m_stop && socket.state() == QAbstractSocket::ConnectedState)
        socket.waitForReadyRead(kPollMs);
    socket.disconnectFromHost();
    if (socket.state() != QAbstractSocket::UnconnectedState)
        socket.waitForDisconnected(kIoTimeoutMs);
}

// Reads the header and as many bytes as Content-Length announces; whatever
// arrives before the client stops sending counts.
QByteArray CScriptedServer::ReadRequest(QTcpSocket &socket)
{
    QByteArray request;
    const QDeadlineTimer deadline(kIoTimeoutMs);
    while (!deadline.hasExpired()) {
        const qsizetype headerEnd = request.indexOf("\r\n\r\n");
        if (headerEnd >= 0) {
            const qsizetype lengthAt = request.indexOf("Content-Length: ");
            const qsizetype lineEnd = request.indexOf("\r\n", lengthAt);
            const int length =
                lengthAt < 0 ? 0 : request.mid(lengthAt + 16, lineEnd - lengthAt - 16).toInt();
            if (request.size() >= headerEnd + 4 + length)
                break;
        }
        if (!socket.waitForReadyRead(kPollMs) && socket.state() != QAbstractSocket::ConnectedState)
            break;
        request += socket.readAll();
    }
    return request + socket.readAll();
}
