#include "simcommandconnection.h"

#include <utility>

#include <QTcpSocket>

#include "simcommandprocessor.h"
#include "simdeliverywriter.h"
#include "simlimits.h"
#include "simregistry.h"

CSimCommandConnection::CSimCommandConnection(QTcpSocket *socket, CSimRegistry &registry,
                                             QString address, FAction onAction, QObject *parent)
    : QObject(parent), m_pSocket(socket), m_registry(registry), m_strAddress(std::move(address)),
      m_onAction(std::move(onAction))
{
    m_pSocket->setParent(this);
    m_pSocket->setReadBufferSize(SimLimits::kMaxRequestHeader + SimLimits::kMaxRequestBody);
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, &CSimCommandConnection::Close);
    connect(m_pSocket, &QTcpSocket::readyRead, this, &CSimCommandConnection::Take);
    connect(m_pSocket, &QTcpSocket::disconnected, this, &CSimCommandConnection::OnDisconnected);
    m_timeout.start(SimLimits::kRequestTimeoutMs);
    Take(); // bytes may have arrived before the signals were connected
}

void CSimCommandConnection::Take()
{
    if (m_responded)
        return;
    if (m_reader.Feed(m_pSocket->readAll()) != CSimRequestReader::EStatus::NeedMore)
        Respond();
}

void CSimCommandConnection::OnDisconnected()
{
    Take();
    if (!m_responded)
        Close();
}

void CSimCommandConnection::Respond()
{
    m_responded = true;
    m_timeout.stop();
    disconnect(m_pSocket, nullptr, this, nullptr);
    const bool readOk = m_reader.Status() == CSimRequestReader::EStatus::Complete;
    CSimCommandProcessor::CResult result =
        CSimCommandProcessor(m_registry, m_strAddress).Process(m_reader.Body(), readOk);
    if (m_onAction)
        m_onAction(result.m_outcome);
    // Recorded once the command has taken effect, and before any reply: a
    // test that sees the request (or the reply) sees its consequences too.
    m_registry.RecordRequest(m_strAddress, m_reader.Raw());
    auto *writer = new CSimDeliveryWriter(m_pSocket, std::move(result.m_delivery));
    connect(writer, &CSimDeliveryWriter::Finished, this, &QObject::deleteLater);
    writer->Start();
}

void CSimCommandConnection::Close()
{
    // A request that never completed is still worth recording for the tests.
    if (!m_responded && !m_reader.Raw().isEmpty())
        m_registry.RecordRequest(m_strAddress, m_reader.Raw());
    m_responded = true;
    m_pSocket->abort();
    deleteLater();
}
