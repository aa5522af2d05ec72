#include "simprobelistener.h"

#include <utility>

#include <QNetworkDatagram>
#include <QNetworkProxy>

#include "simlimits.h"

namespace {

// The probe's signature, zero byte included.
const QByteArray kProbeMagic = QByteArrayLiteral("tavrion.ver012.windows_x86\0");
// Datagrams to these reach every player.
const QHostAddress kLoopbackBroadcast(QStringLiteral("127.255.255.255"));

} // namespace

CSimProbeListener::CSimProbeListener(QObject *parent) : QObject(parent)
{
    // Players talk to the tool directly; no proxy setting may reroute them.
    m_socket.setProxy(QNetworkProxy::NoProxy);
    connect(&m_socket, &QUdpSocket::readyRead, this, &CSimProbeListener::Receive);
}

bool CSimProbeListener::Listen(QString *error)
{
    if (m_socket.bind(QHostAddress::AnyIPv4, SimLimits::kProbePort))
        return true;
    if (error)
        *error = m_socket.errorString();
    return false;
}

void CSimProbeListener::AddPlayer(const QString &address, FProbe onProbe)
{
    m_players.insert(QHostAddress(address).toIPv4Address(), std::move(onProbe));
}

bool CSimProbeListener::MovePlayer(const QHostAddress &from, const QHostAddress &to)
{
    if (m_players.contains(to.toIPv4Address()) || !m_players.contains(from.toIPv4Address()))
        return false;
    m_players.insert(to.toIPv4Address(), m_players.take(from.toIPv4Address()));
    return true;
}

bool CSimProbeListener::IsValidProbe(const QByteArray &datagram)
{
    return datagram.size() == SimLimits::kProbeSize && datagram.startsWith(kProbeMagic);
}

void CSimProbeListener::Receive()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket.receiveDatagram(SimLimits::kMaxDatagram);
        const QHostAddress to = datagram.destinationAddress();
        const bool valid = IsValidProbe(datagram.data());
        if (to == kLoopbackBroadcast || to == QHostAddress(QHostAddress::Broadcast)) {
            for (const FProbe &onProbe : std::as_const(m_players))
                onProbe(valid, datagram.senderAddress());
        } else if (const auto it = m_players.constFind(to.toIPv4Address());
                   it != m_players.cend()) {
            (*it)(valid, datagram.senderAddress());
        }
    }
}
