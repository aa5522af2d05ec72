#include "simannouncer.h"

#include <utility>

#include <QNetworkProxy>

#include "simdeliverywriter.h"
#include "simlimits.h"

CSimAnnouncer::CSimAnnouncer(QHostAddress from, QHostAddress to, CSimDelivery delivery,
                             QObject *parent)
    : QObject(parent), m_from(std::move(from)), m_to(std::move(to)), m_delivery(std::move(delivery))
{
    m_timer.setSingleShot(true);
    // A scripted delay is a promise: never fire early, as a coarse timer may.
    m_timer.setTimerType(Qt::PreciseTimer);
}

void CSimAnnouncer::Start()
{
    connect(&m_timer, &QTimer::timeout, this, &CSimAnnouncer::Connect);
    m_timer.start(qMax(0, m_delivery.m_delayMs));
    m_delivery.m_delayMs = 0; // spent before connecting, not before sending
}

void CSimAnnouncer::Connect()
{
    disconnect(&m_timer, nullptr, this, nullptr);
    connect(&m_timer, &QTimer::timeout, this, &CSimAnnouncer::Done);
    m_pSocket = new QTcpSocket(this);
    m_pSocket->setProxy(QNetworkProxy::NoProxy);
    connect(m_pSocket, &QTcpSocket::connected, this, &CSimAnnouncer::OnConnected);
    connect(m_pSocket, &QTcpSocket::errorOccurred, this, &CSimAnnouncer::Done);
    // The prober must see the announcement come from the player's own address.
    if (!m_pSocket->bind(m_from, 0)) {
        Done();
        return;
    }
    m_pSocket->connectToHost(m_to, SimLimits::kAnnouncePort);
    m_timer.start(SimLimits::kAnnounceConnectTimeoutMs);
}

void CSimAnnouncer::OnConnected()
{
    m_timer.stop();
    disconnect(m_pSocket, nullptr, this, nullptr);
    auto *writer = new CSimDeliveryWriter(m_pSocket, std::move(m_delivery));
    connect(writer, &CSimDeliveryWriter::Finished, this, &CSimAnnouncer::Done);
    writer->Start();
}

void CSimAnnouncer::Done()
{
    m_timer.stop();
    if (m_pSocket)
        m_pSocket->abort();
    deleteLater();
}
