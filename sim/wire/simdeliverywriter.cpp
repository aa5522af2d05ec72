#include "simdeliverywriter.h"

#include <utility>

#include <QTcpSocket>

CSimDeliveryWriter::CSimDeliveryWriter(QTcpSocket *socket, CSimDelivery delivery)
    : QObject(socket), m_pSocket(socket), m_delivery(std::move(delivery))
{
    m_stepTimer.setSingleShot(true);
    // A scripted delay is a promise: never fire early, as a coarse timer may.
    m_stepTimer.setTimerType(Qt::PreciseTimer);
    m_capTimer.setSingleShot(true);
    connect(&m_stepTimer, &QTimer::timeout, this, &CSimDeliveryWriter::WriteNext);
    connect(&m_capTimer, &QTimer::timeout, this, [this] {
        m_pSocket->abort();
        Finish();
    });
    connect(m_pSocket, &QTcpSocket::readyRead, this, &CSimDeliveryWriter::Discard);
    connect(m_pSocket, &QTcpSocket::disconnected, this, &CSimDeliveryWriter::Finish);
}

void CSimDeliveryWriter::Start()
{
    // Each piece leaves at once instead of waiting to be merged with the next.
    m_pSocket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_capTimer.start(qMax(0, m_delivery.m_holdMs));
    m_stepTimer.start(qMax(0, m_delivery.m_delayMs));
}

void CSimDeliveryWriter::WriteNext()
{
    if (m_pSocket->state() != QAbstractSocket::ConnectedState) {
        Finish();
        return;
    }
    if (m_next >= m_delivery.m_pieces.size()) {
        End();
        return;
    }
    m_pSocket->write(m_delivery.m_pieces.at(m_next++));
    m_pSocket->flush();
    if (m_next < m_delivery.m_pieces.size())
        m_stepTimer.start(qMax(0, m_delivery.m_pauseMs));
    else
        End();
}

void CSimDeliveryWriter::End()
{
    if (m_delivery.m_end == CSimDelivery::EEnd::Hold)
        return; // until the peer closes or the cap runs out
    m_pSocket->disconnectFromHost();
    if (m_pSocket->state() == QAbstractSocket::UnconnectedState)
        Finish();
}

void CSimDeliveryWriter::Discard()
{
    // Whatever the peer sends after its request is of no interest.
    m_pSocket->readAll();
}

void CSimDeliveryWriter::Finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_stepTimer.stop();
    m_capTimer.stop();
    emit Finished();
}
