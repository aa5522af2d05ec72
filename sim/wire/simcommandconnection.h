#pragma once

#include <functional>

#include <QObject>
#include <QString>
#include <QTimer>

#include "simrequestreader.h"

class QTcpSocket;
class CSimRegistry;
struct CSimCommandOutcome;

// One accepted connection on the command port: reads the request, records
// it, lets the player act on it and sends the reply. Deletes itself (and
// the socket) when the connection is over.
class CSimCommandConnection : public QObject
{
    Q_OBJECT

public:
    using FAction = std::function<void(const CSimCommandOutcome &)>;

    // onAction runs before the first reply byte is sent, so a player that
    // goes away has stopped listening by the time the tool sees the reply.
    CSimCommandConnection(QTcpSocket *socket, CSimRegistry &registry, QString address,
                          FAction onAction, QObject *parent);

private:
    void Take();
    void OnDisconnected();
    void Respond();
    void Close();

    QTcpSocket *m_pSocket;
    CSimRegistry &m_registry;
    QString m_strAddress;
    FAction m_onAction;
    CSimRequestReader m_reader;
    QTimer m_timeout;
    bool m_responded = false;
};
