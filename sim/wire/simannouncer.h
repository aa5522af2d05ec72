#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTcpSocket>
#include <QTimer>

#include "simdelivery.h"

// Sends one announcement: connects from the player's address to port 10014
// of the prober, delivers and closes. Deletes itself when done.
class CSimAnnouncer : public QObject
{
    Q_OBJECT

public:
    CSimAnnouncer(QHostAddress from, QHostAddress to, CSimDelivery delivery, QObject *parent);
    void Start();

private:
    void Connect();
    void OnConnected();
    void Done();

    QHostAddress m_from;
    QHostAddress m_to;
    CSimDelivery m_delivery;
    QTcpSocket *m_pSocket = nullptr;
    QTimer m_timer;
};
