#pragma once

#include <QList>
#include <QString>

#include "devicediscover.h"
#include "fakedevicesink.h"
#include "fakemainwindow.h"

// A discovery thread listening for announcements, handing its players to a
// fake sink and its messages to a fake window.
class CDiscoverFixture
{
public:
    // Long enough for a loaded machine; only reached when something is broken.
    static constexpr int WAIT_MS = 10000;

    // Later leaves the thread unstarted, for a test that posts work first.
    enum class EStart
    {
        Now,
        Later
    };

    explicit CDiscoverFixture(const CReceiverLimits &limits = {}, EStart start = EStart::Now);
    ~CDiscoverFixture();

    void Start();

    // The players handed over so far, read under the discovery lock as the
    // manager reads its list.
    QList<CFakeDeviceSink::Device> Devices();

    CFakeMainWindow m_window;
    CFakeDeviceSink m_sink;
    CDeviceDiscover m_discover;
};
