#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpServer>

class CSimRegistry;

// Serves a player's web page on port 80 of its address.
class CSimWebServer : public QObject
{
    Q_OBJECT

public:
    CSimWebServer(CSimRegistry &registry, QString address, QObject *parent);

    bool Listen(QString *error);
    // Where the page is served from next time it listens (after a move).
    void SetBindAddress(const QHostAddress &address) { m_bindAddress = address; }
    void Close();
    bool IsListening() const { return m_server.isListening(); }

private:
    void Accept();

    CSimRegistry &m_registry;
    QString m_strAddress;
    QHostAddress m_bindAddress;
    QTcpServer m_server;
    int m_connections = 0;
};
