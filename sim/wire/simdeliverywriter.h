#pragma once

#include <QObject>
#include <QTimer>

#include "simdelivery.h"

class QTcpSocket;

// Sends a CSimDelivery on a connected socket and ends the connection as the
// delivery says; Finished() fires once, when the socket is done with.
class CSimDeliveryWriter : public QObject
{
    Q_OBJECT

public:
    // The socket must outlive the writer; make the writer its child.
    CSimDeliveryWriter(QTcpSocket *socket, CSimDelivery delivery);
    void Start();

signals:
    void Finished();

private:
    void WriteNext();
    void End();
    void Discard();
    void Finish();

    QTcpSocket *m_pSocket;
    CSimDelivery m_delivery;
    qsizetype m_next = 0;
    QTimer m_stepTimer;
    QTimer m_capTimer;
    bool m_finished = false;
};
