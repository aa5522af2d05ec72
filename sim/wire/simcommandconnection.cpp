#include "simcommandconnection.h"

#include <utility>

#include <QTcpSocket>

#include "simcommandhandler.h"
#include "simdeliverywriter.h"
#include "simlimits.h"
#include "simregistry.h"
#include "simreplyshaper.h"

namespace {

// The protocol version every reply states.
constexpr const char *kApiVersion = "1.0.1";

// The request's Tavrion element, or a null node when it has none.
pugi::xml_node RequestRoot(const pugi::xml_document &document, bool parsed)
{
    return parsed ? document.select_node("/Tavrion").node() : pugi::xml_node();
}

// What the player does and sends for one request.
struct CResult
{
    CSimCommandOutcome m_outcome;
    CSimDelivery m_delivery;
};

// Answers one complete (or failed) request: parses the XML, runs the command
// on the shared state, applies the faults that hit it and says what to send.
// A body that could not be read is answered with errcode "0".
CResult Process(CSimRegistry &registry, const QString &address, const QByteArray &body, bool readOk)
{
    pugi::xml_document request;
    const bool parsed =
        readOk && request.load_buffer(body.constData(), static_cast<size_t>(body.size()),
                                      pugi::parse_default, pugi::encoding_utf8);
    const pugi::xml_node requestRoot = RequestRoot(request, parsed);
    const QString operation = QString::fromUtf8(requestRoot.attribute("operation").value());

    pugi::xml_document reply;
    pugi::xml_node root = reply.append_child("Tavrion");
    root.append_attribute("api").set_value(kApiVersion);
    root.append_attribute("operation").set_value(operation.toUtf8().constData());
    pugi::xml_attribute errcode = root.append_attribute("errcode");

    CResult result;
    registry.Update(address, [&](CSimPlayerRecord &record) {
        if (requestRoot)
            result.m_outcome =
                CSimCommandHandler(record.m_state).Handle(operation, requestRoot, root);
    });
    errcode.set_value(result.m_outcome.m_success ? "1" : "0");
    const QList<CSimFault> faults =
        registry.TakeFaults(address, CSimFault::EService::Command, operation);
    result.m_delivery = CSimReplyShaper(faults).Shape(root);
    return result;
}

} // namespace

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
    CResult result = Process(m_registry, m_strAddress, m_reader.Body(), readOk);
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
