#pragma once

#include <chrono>
#include <functional>

#include <QDeadlineTimer>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include "cliapplyoutcome.h"
#include "cliplan.h"
#include "cliplanstate.h"
#include "clirequest.h"
#include "devicesummary.h"

class CCliDiscovery;
class QTextStream;

// Brings every player of a plan to what the plan says and proves it: finds
// the players, reads what they are, sends only what differs in a safe order
// (name, Wi-Fi, access point, firmware, then the address set-ups with one
// reboot), and reads every field back, after a reboot from the player found
// again by its udn. With a dry run it only reads.
class CCliApply
{
public:
    CCliApply(const CCliRequest &request, QList<CCliPlanEntry> plan);

    // discovery has run; the players are found among its devices.
    QList<CCliApplyOutcome> Run(CCliDiscovery &discovery);

private:
    // One entry and what is known of its player.
    class CTarget
    {
    public:
        CCliPlanEntry m_entry;
        CDeviceSummary m_device{{}, {}, {}, {}};
        CCliPlanState m_state;
        CCliApplyOutcome m_outcome;
        bool m_bFound = false;
        bool m_bRebooted = false;
        // Nothing more is sent: a step failed or could not be confirmed.
        bool m_bDone = false;

        bool IsActive() const;
        bool Changes(const QString &prefix) const;
    };
    using Check = std::function<bool(const CTarget &target, const CCliPlanState &state)>;

    void Match();
    void ReadStates();
    void MatchByLanMac(const QStringList &candidates);
    void SendSettings();
    void UpdateFirmware();
    void SendNetwork();
    void Verify();
    // Finds the targets again by udn until each passes check or the time-out
    // has passed; each target keeps the last state read.
    void AwaitBack(const QList<CTarget *> &targets, const Check &check);
    // Reads the states of the targets at their current addresses.
    QHash<QString, CCliPlanState> ReadAll(const QList<CTarget *> &targets) const;
    void Fail(CTarget &target, const QString &step, const QString &error);
    QList<CTarget *> Active(const std::function<bool(const CTarget &)> &wanted = {});

    const CCliRequest m_request;
    CCliDiscovery *m_pDiscovery = nullptr;
    QList<CTarget> m_targets;
};
