#pragma once

#include <memory>

#include <QDeadlineTimer>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include "devicesummary.h"
#include "sweeprange.h"

class CPlayerRequest;
class CSetupManager;

// One discovery for the command line: the manager's discovery thread sweeps
// the chosen network, and the answers are collected for a fixed time while
// the event loop runs. The discovery keeps listening until the object goes,
// so players can be found again after a reboot.
class CSiteDiscovery
{
public:
    enum class EOutcome
    {
        Done,
        NoAdapter,      // this computer has no IPv4 adapter to search from
        UnknownAdapter, // --adapter names none of them
        CannotListen    // the announcement port is taken
    };
    // A rebooting player is looked for this often until it answers.
    static constexpr int RESWEEP_INTERVAL_MS = 1000;

    explicit CSiteDiscovery(const CPlayerRequest &request);
    ~CSiteDiscovery();
    CSiteDiscovery(const CSiteDiscovery &) = delete;
    CSiteDiscovery &operator=(const CSiteDiscovery &) = delete;

    EOutcome Run();
    // The players that answered, ordered by address.
    QList<CDeviceSummary> Devices() const { return m_devices; }
    // How many more players answered than the list could hold.
    int TurnedAway() const { return m_nTurnedAway; }
    // The address whose network was swept.
    QString SweepAddress() const { return m_strSweepIp; }
    // Sweeps again and again until every player in udns has answered or the
    // deadline has passed; the players found, by udn, at the address they
    // answered from last; a udn answered from two addresses in one sweep is
    // not found in it. Only after Run() returned Done.
    QHash<QString, CDeviceSummary> FindAgain(const QSet<QString> &udns,
                                             const QDeadlineTimer &deadline);

    static void SortByAddress(QList<CDeviceSummary> &devices);
    // The udns announced from more than one address: any of those could be
    // another host claiming the player.
    static QSet<QString> DuplicateUdns(const QList<CDeviceSummary> &devices);

private:
    static void Listen(int milliseconds);

    const QString m_strAdapter;
    const QString m_strLocalIp;
    const std::optional<CSweepRange> m_range;
    const int m_nWaitMs;
    std::unique_ptr<CSetupManager> m_pManager;
    QString m_strSweepIp;
    QList<CDeviceSummary> m_devices;
    int m_nTurnedAway = 0;
};
