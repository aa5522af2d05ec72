#pragma once

#include <chrono>
#include <functional>

#include <QDeadlineTimer>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include "applyoutcome.h"
#include "plan.h"
#include "planstate.h"
#include "playerrequest.h"
#include "devicesummary.h"

class CSiteDiscovery;
class QTextStream;

// Brings every player of a plan to what the plan says and proves it: finds
// the players, reads what they are, sends only what differs in a safe order
// (name, Wi-Fi, access point, firmware, then the address set-ups with one
// reboot), and reads every field back, after a reboot from the player found
// again by its udn. With a dry run it only reads.
class CPlanApply
{
public:
    CPlanApply(const CPlayerRequest &request, QList<CPlanEntry> plan);

    // discovery has run; the players are found among its devices.
    QList<CApplyOutcome> Run(CSiteDiscovery &discovery);

private:
    // Whether a change's request went out: for certain, or perhaps, when its
    // worker was given up on while it may still have been sending.
    enum class ESent
    {
        Sent,
        Perhaps
    };

    // One entry and what is known of its player.
    class CTarget
    {
    public:
        CPlanEntry m_entry;
        CDeviceSummary m_device{{}, {}, {}, {}};
        // The last reading; after a reboot or a failure, the one made then.
        CPlanState m_state;
        // Read after the set-ups were stored, before the reboot that applies them.
        CPlanState m_stored;
        CApplyOutcome m_outcome;
        // By the field of a change, or REBOOT for the reboot.
        QHash<QString, ESent> m_sent;
        bool m_bFound = false;
        bool m_bRebooted = false;
        // The reboot after the set-ups was answered with success.
        bool m_bSetupsRebooted = false;
        // Nothing more is sent: a step failed or could not be confirmed.
        bool m_bDone = false;

        bool IsActive() const;
        bool Changes(const QString &prefix) const;
        // Whether the set-up of an interface (lan, wlan) has to be sent, as
        // opposed to only a reboot for a set-up already stored.
        bool SendsSetup(const QString &prefix) const;
        void MarkSent(const QStringList &fields, ESent sent);
    };
    // What a worker did with one player's requests.
    class CSent
    {
    public:
        // Empty when every request was answered with success, else STEP: ERROR.
        QString m_strError;
        // The fields whose requests went out, the one that failed included.
        QStringList m_fields;
        CPlanState m_stored;
    };
    using Check = std::function<bool(const CTarget &target, const CPlanState &state)>;

    void Match();
    void ReadStates();
    void MatchByLanMac(const QStringList &candidates);
    void Refuse(CTarget &target, const QString &key, const QStringList &addresses,
                const QString &claim);
    void SendSettings();
    void UpdateFirmware();
    void SendNetwork();
    void Verify();
    // Sets what became of every change from what was sent and read last.
    void Report();
    CApplyChange::EState StateOf(const CTarget &target, const CApplyChange &change) const;
    // Takes in what a worker did; possible are the fields it may have sent
    // when it was given up on. False when a step failed.
    bool Settle(CTarget &target, const QHash<QString, CSent> &results, const QStringList &possible);
    // Finds the targets again by udn until each passes check or the time-out
    // has passed; each target keeps the last state read.
    void AwaitBack(const QList<CTarget *> &targets, const Check &check);
    // Reads the states of the targets at their current addresses.
    QHash<QString, CPlanState> ReadAll(const QList<CTarget *> &targets) const;
    void Fail(CTarget &target, const QString &step, const QString &error);
    QList<CTarget *> Active(const std::function<bool(const CTarget &)> &wanted = {});

    const CPlayerRequest m_request;
    CSiteDiscovery *m_pDiscovery = nullptr;
    QList<CTarget> m_targets;
};
