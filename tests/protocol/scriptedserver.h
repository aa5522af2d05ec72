#pragma once

#include <atomic>

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMutex>
#include <QSemaphore>
#include <QThread>

// A player reduced to a script: it reads one request per connection, then
// sends the given pieces with a pause between them and closes (or holds the
// connection open first). It runs on its own thread with blocking sockets,
// because the command channel under test blocks the test's thread.
class CScriptedServer : public QThread
{
public:
    struct Script
    {
        QList<QByteArray> pieces;
        int pauseMs = 50; // long enough for each piece to arrive as a read of its own
        int holdMs = 0;   // keep the connection open this long before closing
    };

    CScriptedServer(const QHostAddress &address, Script script);
    ~CScriptedServer() override;

    bool Start();
    QList<QByteArray> Requests() const;

protected:
    void run() override;

private:
    void Serve(class QTcpSocket &socket);
    static QByteArray ReadRequest(class QTcpSocket &socket);

    const QHostAddress m_address;
    const Script m_script;
    QSemaphore m_ready;
    std::atomic<bool> m_listening = false;
    std::atomic<bool> m_stop = false;
    mutable QMutex m_mutex;
    QList<QByteArray> m_requests;
};
