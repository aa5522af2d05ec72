#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class QTcpSocket;
class CSimRegistry;

// One connection to a player's web page: reads the request head within the
// size cap and time-out, answers, closes. Deletes itself when done.
class CSimWebConnection : public QObject
{
    Q_OBJECT

public:
    CSimWebConnection(QTcpSocket *socket, CSimRegistry &registry, QString address, QObject *parent);

private:
    void Take();
    void Answer();
    void Close();

    QTcpSocket *m_pSocket;
    CSimRegistry &m_registry;
    QString m_strAddress;
    QByteArray m_head;
    QTimer m_timeout;
    bool m_answered = false;
};
