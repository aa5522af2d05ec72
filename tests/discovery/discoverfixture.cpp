#include "discoverfixture.h"

#include <QMutexLocker>

CDiscoverFixture::CDiscoverFixture(const CReceiverLimits &limits, EStart start) : m_sink(&m_window)
{
    m_discover.SetParams(&m_sink, QStringLiteral("127.0.0.1"));
    m_discover.SetReceiverTimeout(limits.timeoutMs);
    m_discover.SetMaxReceivers(limits.maxReceivers);
    m_discover.SetMaxReceiversPerHost(limits.maxPerHost);
    if (start == EStart::Now)
        Start();
}

void CDiscoverFixture::Start()
{
    m_discover.start();
}

CDiscoverFixture::~CDiscoverFixture()
{
    m_discover.Stop();
}

QList<CFakeDeviceSink::Device> CDiscoverFixture::Devices()
{
    const QMutexLocker locker(&m_discover.Lock());
    return m_sink.Devices();
}
