#pragma once

#include <QSet>
#include <QTcpServer>

class CDeviceDiscover;
class CNotifyReceiver;

// The announcement port. Every connection accepted gets a receiver thread of
// its own; at the receiver ceiling, accepting pauses until one ends, so the
// connections wait in the kernel's queue rather than being dropped.
// Lives on the discovery thread, which creates it.
class CListenSocket : public QTcpServer
{
    Q_OBJECT

public:
    explicit CListenSocket(CDeviceDiscover *discover);
    ~CListenSocket() override;

    // Listens on every address; false when the port cannot be bound.
    bool Start(quint16 port, int backlog);
    // Stops listening and ends every live receiver, waiting for them at most
    // timeoutMs in all.
    void Shutdown(int timeoutMs);

protected:
    void incomingConnection(qintptr handle) override;

private:
    void OnReceiverFinished(CNotifyReceiver *receiver);
    bool AtCeiling() const;
    void Pause();
    void Resume();

    CDeviceDiscover *m_pDiscover;
    QSet<CNotifyReceiver *> m_receivers;
    bool m_paused = false;
    int m_nPendingLimit = 0;
};
