#include "simwebserver.h"

#include <utility>

#include <QNetworkProxy>
#include <QTcpSocket>

#include "simlimits.h"
#include "simwebconnection.h"

CSimWebServer::CSimWebServer(CSimRegistry &registry, QString address, QObject *parent)
    : QObject(parent), m_registry(registry), m_strAddress(std::move(address)),
      m_bindAddress(m_strAddress)
{
    m_server.setProxy(QNetworkProxy::NoProxy);
    connect(&m_server, &QTcpServer::newConnection, this, &CSimWebServer::Accept);
}

bool CSimWebServer::Listen(QString *error)
{
    if (m_server.isListening() || m_server.listen(m_bindAddress, SimLimits::kWebPort))
        return true;
    if (error)
        *error = m_server.errorString();
    return false;
}

void CSimWebServer::Close()
{
    m_server.close();
}

void CSimWebServer::Accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        if (m_connections >= SimLimits::kMaxWebConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_connections;
        auto *connection = new CSimWebConnection(socket, m_registry, m_strAddress, this);
        connect(connection, &QObject::destroyed, this, [this] { --m_connections; });
    }
}
