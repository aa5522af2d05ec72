#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "applychange.h"
#include "planstate.h"

// What apply did, or with --dry-run would do, for one plan entry.
class CApplyOutcome
{
public:
    enum class EStatus
    {
        Ok,         // every change sent and read back
        Unchanged,  // the player was already as planned
        Missing,    // discovery did not find the player
        Failed,     // a step failed; m_strError names it
        Unverified, // sent, but reading back did not confirm it
        Planned,    // --dry-run: changes would be sent
        Ambiguous   // more than one address claims the player; nothing was sent
    };

    static QString StatusName(EStatus status);
    // Whether the entry counts as done for the exit status.
    bool IsGood(bool dryRun) const;

    // The udn the plan or the discovery gave, else the plan's lanmac.
    QString m_strKey;
    QString m_strUdn;
    // Where the player was found at last.
    QString m_strPlayer;
    EStatus m_status = EStatus::Missing;
    QList<CApplyChange> m_changes;
    // The interfaces (lan, wlan) whose set-up was found stored as planned but
    // not in use: the player needed only a reboot.
    QStringList m_pendingReboot;
    // The plan's fields that already were as planned, for the dry run's text.
    QList<CPlanChange> m_unchanged;
    QString m_strError;
};
