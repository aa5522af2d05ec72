// CListenSocket: the listening socket on TCP 10014; starts one receiver per connection.
#pragma once

#include <optional>

#include <QHash>
#include <QTcpServer>

#include "receiverlimits.h"

class CAnnouncementSink;
class CNotifyReceiver;
class CReceiverGauge;

// The announcement port. Every connection accepted gets a receiver thread of
// its own, within the limits: a host that already holds its share of
// receivers has further connections closed at once; at the overall ceiling,
// accepting pauses until a receiver ends, so the connections wait in the
// kernel's queue rather than being dropped.
// Lives on the discovery thread, which creates it.
class CListenSocket : public QTcpServer
{
    Q_OBJECT

public:
    CListenSocket(CAnnouncementSink *sink, const CReceiverLimits &limits, CReceiverGauge &gauge);
    ~CListenSocket() override;

    // Listens on every address; false when the port cannot be bound.
    bool Start(quint16 port, int backlog);
    // Stops listening and ends every live receiver, returning once none is
    // left. Receivers end as soon as they are told, so this is quick.
    void Shutdown();

protected:
    void incomingConnection(qintptr handle) override;

private:
    struct CReceiverEntry
    {
        CNotifyReceiver *pReceiver;
        quint32 nHost;
    };

    bool StartReceiver(qintptr handle, std::optional<quint32> peer);
    void OnReceiverFinished(CNotifyReceiver *receiver);
    void Forget(CNotifyReceiver *receiver, quint32 host);
    bool AtCeiling() const;
    void Pause();
    void Resume();

    CAnnouncementSink *m_pSink;
    CReceiverLimits m_limits;
    CReceiverGauge &m_gauge;
    QHash<CNotifyReceiver *, quint32> m_receivers;
    QHash<quint32, int> m_receiversPerHost;
    bool m_paused = false;
    int m_nPendingLimit = 0;
};
