#include "instancechannel.h"

#include <QLocalSocket>
#include <QTimer>

CInstanceChannel::CInstanceChannel(QObject *parent) : QObject(parent)
{
    // Other users on the machine have no business with this copy.
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &CInstanceChannel::OnNewConnection);
}

bool CInstanceChannel::Listen(const QString &path)
{
    QLocalServer::removeServer(path);
    return m_server.listen(path);
}

void CInstanceChannel::OnNewConnection()
{
    while (QLocalSocket *socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
        // A peer that never finishes its line does not keep a socket open.
        QTimer::singleShot(TIMEOUT_MS, socket, [socket] { Drop(socket); });
        // The request may have come with the connection.
        if (socket->bytesAvailable() > 0)
            OnReadyRead(socket);
    }
}

void CInstanceChannel::OnReadyRead(QLocalSocket *socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() >= MAX_REQUEST_BYTES)
            Drop(socket);
        return;
    }
    const QByteArray line = socket->readLine(MAX_REQUEST_BYTES);
    socket->disconnectFromServer();
    if (line == SHOW_REQUEST)
        emit ShowRequested();
}

void CInstanceChannel::Drop(QLocalSocket *socket)
{
    socket->abort();
    socket->deleteLater();
}

bool CInstanceChannel::AskToShow(const QString &path)
{
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(TIMEOUT_MS))
        return false;
    socket.write(SHOW_REQUEST);
    if (!socket.waitForBytesWritten(TIMEOUT_MS))
        return false;
    // The first copy hangs up once it has the request.
    if (socket.state() == QLocalSocket::ConnectedState)
        socket.waitForDisconnected(TIMEOUT_MS);
    return true;
}
