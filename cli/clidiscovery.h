#pragma once

#include <optional>

#include <QList>
#include <QString>

#include "devicesummary.h"
#include "sweeprange.h"

class CCliRequest;

// One discovery for the command line: the manager's discovery thread sweeps
// the chosen network once, and the answers are collected for a fixed time
// while the event loop runs.
class CCliDiscovery
{
public:
    enum class EOutcome
    {
        Done,
        NoAdapter,      // this computer has no IPv4 adapter to search from
        UnknownAdapter, // --adapter names none of them
        CannotListen    // the announcement port is taken
    };

    explicit CCliDiscovery(const CCliRequest &request);

    EOutcome Run();
    // The players that answered, ordered by address.
    QList<CDeviceSummary> Devices() const { return m_devices; }
    // The address whose network was swept.
    QString SweepAddress() const { return m_strSweepIp; }

private:
    const QString m_strAdapter;
    const QString m_strLocalIp;
    const std::optional<CSweepRange> m_range;
    const int m_nWaitMs;
    QString m_strSweepIp;
    QList<CDeviceSummary> m_devices;
};
