#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QList>
#include <QString>

// A plain blocking client for poking the simulated players from a test.
namespace SimTestClient {

// Long enough for any reply on loopback; only reached when something is wrong.
constexpr int kTimeoutMs = 5000;

// The players' wire: probes to the player, announcements and firmware
// downloads back to the tool, commands to the player. Kept apart from the
// tool's own constants so these tests check the player, not the tool.
constexpr quint16 kProbePort = 10013;
constexpr quint16 kAnnouncePort = 10014;
constexpr quint16 kCommandPort = 10015;
constexpr quint16 kFirmwarePort = 10017;

struct CReply
{
    bool m_connected = false;
    QAbstractSocket::SocketError m_connectError = QAbstractSocket::UnknownSocketError;
    QList<QByteArray> m_reads; // each read as it arrived
    bool m_closedByPeer = false;

    QByteArray All() const;
};

// A command request, framed byte for byte as the tool frames it.
QByteArray Request(const QString &operation, const QByteArray &body = {});
// Connects, sends bytes, then reads until the peer closes or timeoutMs passes.
CReply Exchange(const QString &ip, quint16 port, const QByteArray &bytes,
                int timeoutMs = kTimeoutMs);
// One command to a player's command port; the whole reply.
QByteArray Command(const QString &ip, const QString &operation, const QByteArray &body = {});
// The reply a player gives on success, for comparing byte for byte.
QByteArray Reply(const QString &operation, const QByteArray &elements,
                 const QByteArray &errcode = "1");
// A valid 100-byte discovery probe.
QByteArray Probe();

} // namespace SimTestClient
