#include "simwebconnection.h"

#include <utility>

#include <QTcpSocket>

#include "simlimits.h"
#include "simregistry.h"
#include "simwebpage.h"

namespace {

const QByteArray kHeadEnd = QByteArrayLiteral("\r\n\r\n");

} // namespace

CSimWebConnection::CSimWebConnection(QTcpSocket *socket, CSimRegistry &registry, QString address,
                                     QObject *parent)
    : QObject(parent), m_pSocket(socket), m_registry(registry), m_strAddress(std::move(address))
{
    m_pSocket->setParent(this);
    m_pSocket->setReadBufferSize(SimLimits::kMaxRequestHeader);
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, &CSimWebConnection::Close);
    connect(m_pSocket, &QTcpSocket::readyRead, this, &CSimWebConnection::Take);
    connect(m_pSocket, &QTcpSocket::disconnected, this, &CSimWebConnection::Close);
    m_timeout.start(SimLimits::kRequestTimeoutMs);
    Take();
}

void CSimWebConnection::Take()
{
    if (m_answered)
        return;
    m_head.append(m_pSocket->readAll());
    if (m_head.contains(kHeadEnd) || m_head.size() > SimLimits::kMaxRequestHeader)
        Answer();
}

void CSimWebConnection::Answer()
{
    m_answered = true;
    const QByteArray response = m_registry.Read(m_strAddress, [this](const CSimPlayerRecord &r) {
        return CSimWebPage(m_strAddress, r).Respond(m_head);
    });
    m_pSocket->write(response);
    m_pSocket->disconnectFromHost();
    // The time-out still runs: a client that never reads cannot keep us.
}

void CSimWebConnection::Close()
{
    m_timeout.stop();
    m_pSocket->abort();
    deleteLater();
}
