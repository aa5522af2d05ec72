#pragma once

#include <atomic>

// How many announcement receivers are alive, and the most ever alive at
// once. Written on the discovery thread, read from anywhere.
class CReceiverGauge
{
public:
    void Started()
    {
        const int live = ++m_live;
        int peak = m_peak.load();
        while (live > peak && !m_peak.compare_exchange_weak(peak, live)) {
        }
    }
    void Ended() { --m_live; }

    int Live() const { return m_live.load(); }
    int Peak() const { return m_peak.load(); }

private:
    std::atomic<int> m_live{0};
    std::atomic<int> m_peak{0};
};
