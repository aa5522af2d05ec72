#pragma once

#include <functional>

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QTimer>

#include "simwebserver.h"

class CSimRegistry;
struct CSimCommandOutcome;

// One simulated player on the worker thread: its command port, its web page,
// its answers to probes, its downloads and its absences after a reset.
class CSimPlayer : public QObject
{
    Q_OBJECT

public:
    // Asked before a player comes back at another address: true when nothing
    // else answers there, and probes to it now reach this player.
    using AddressClaim = std::function<bool(const QHostAddress &from, const QHostAddress &to)>;

    // address: where the player starts, and the name of its record for good.
    CSimPlayer(CSimRegistry &registry, const QString &address, QObject *parent);
    void SetAddressClaim(AddressClaim claim) { m_claim = std::move(claim); }

    // Opens the command and web ports; false (with the reason) if either fails.
    bool Start(QString *error);
    // Opens or closes the command port to match reachability and the Refuse fault.
    void ApplyListening();
    // A datagram addressed to this player arrived on the probe port.
    void OnProbe(bool valid, const QHostAddress &sender);

private:
    bool ShouldListen() const;
    bool Listen(QString *error);
    void RetryListen();
    void Accept();
    void Act(const CSimCommandOutcome &outcome);
    void GoUnreachable();
    void ComeBack();
    // Where the LAN set-up puts the player after a reboot.
    QHostAddress AddressAfterReboot() const;
    void MoveTo(const QHostAddress &address);
    void Announce(const QHostAddress &prober);
    void Download(const QString &server);
    void SetReachable(bool reachable);

    CSimRegistry &m_registry;
    QString m_strAddress;   // the record's name
    QHostAddress m_address; // where it answers now
    AddressClaim m_claim;
    QTcpServer m_commandServer;
    CSimWebServer m_web;
    QTimer m_backTimer;
    QTimer m_retryTimer;
    int m_retriesLeft = 0;
    bool m_reachable = true;
    int m_commandConnections = 0;
    int m_announcements = 0;
    int m_downloads = 0;
};
