#pragma once

#include <optional>
#include <utility>

#include <QHash>
#include <QList>
#include <QString>

#include "device.h"

class CCliPlanEntry;
class CPlayerSession;

// One field of a plan that differs from what the player reports.
class CCliPlanChange
{
public:
    QString m_strField;
    QString m_strFrom;
    QString m_strTo;

    friend bool operator==(const CCliPlanChange &, const CCliPlanChange &) = default;
};

// A plan's fields as texts, in the plan's names and in the order they are
// applied: name, wifi, accessPoint.essid, firmware.version, lan.*, wlan.*.
using CCliPlanValues = QList<std::pair<QString, QString>>;

// What a player is now, in the plan's field names, read with the device
// operations. Read on the thread that owns the session.
class CCliPlanState
{
public:
    // Reads the name, Wi-Fi state, device information and both set-ups, and
    // the connected access point when withAccessPoint. m_bRead is false, with
    // m_strError set, when an operation failed.
    static CCliPlanState Read(CPlayerSession &session, const QString &player, bool withAccessPoint);
    static CCliPlanValues Wanted(const CCliPlanEntry &entry);

    // Every field of the entry, and whether it differs.
    QList<CCliPlanChange> Changes(const CCliPlanEntry &entry) const;
    QList<CCliPlanChange> Unchanged(const CCliPlanEntry &entry) const;
    // The address an interface (LAN, or Wi-Fi when wifi) is seen to use: for
    // LAN the address the player answered at, unless that is its Wi-Fi
    // address, then the lanip it reports; for Wi-Fi the wifiip it reports.
    // Empty when there is none.
    QString AddressInUse(bool wifi) const;
    // Whether the player uses the address of the entry's static set-up for
    // an interface. Nothing when that cannot be told: a DHCP set-up, no
    // set-up planned, or no address in use.
    std::optional<bool> UsesPlannedAddress(const CCliPlanEntry &entry, bool wifi) const;
    // For each interface whose set-up reads as planned while it uses another
    // address (a set-up stored without its reboot): lan.ip or wlan.ip, from
    // the address in use to the planned one.
    QList<CCliPlanChange> PendingReboot(const CCliPlanEntry &entry) const;
    QString Value(const QString &field) const { return m_values.value(field); }

    bool m_bRead = false;
    QString m_strError;
    QString m_strPlayer;
    QString m_strLanMac;
    // The record as read, for a DHCP set-up, which sends the addresses along.
    CDevice m_device;

private:
    QList<CCliPlanChange> Compare(const CCliPlanEntry &entry, bool differing) const;

    QHash<QString, QString> m_values;
};
