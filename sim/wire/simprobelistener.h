#pragma once

#include <functional>

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QUdpSocket>

// The probe port for every player at once: one UDP socket on port 10013 of
// all addresses, handing each datagram to the player it was sent to (to all
// of them for a broadcast). One socket instead of one per player keeps a
// network of 254 players well within the file limit.
class CSimProbeListener : public QObject
{
    Q_OBJECT

public:
    // Called with whether the datagram is a valid probe and who sent it.
    using FProbe = std::function<void(bool valid, const QHostAddress &sender)>;

    explicit CSimProbeListener(QObject *parent);

    bool Listen(QString *error);
    void AddPlayer(const QString &address, FProbe onProbe);
    // Probes to to reach the player that answered at from; false, changing
    // nothing, when another player answers at to.
    bool MovePlayer(const QHostAddress &from, const QHostAddress &to);

    // Exactly 100 bytes starting with "tavrion.ver012.windows_x86" and a zero byte.
    static bool IsValidProbe(const QByteArray &datagram);

private:
    void Receive();

    QUdpSocket m_socket;
    QHash<quint32, FProbe> m_players;
};
