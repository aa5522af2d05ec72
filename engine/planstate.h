#pragma once

#include <optional>
#include <utility>

#include <QHash>
#include <QList>
#include <QString>

#include "device.h"

class CPlanEntry;
class CPlayerSession;

// One field of a plan that differs from what the player reports.
class CPlanChange
{
public:
    QString m_strField;
    QString m_strFrom;
    QString m_strTo;

    friend bool operator==(const CPlanChange &, const CPlanChange &) = default;
};

// A plan's fields as texts, in the plan's names and in the order they are
// applied: name, wifi, accessPoint.essid, firmware.version, lan.*, wlan.*.
using CPlanValues = QList<std::pair<QString, QString>>;

// What a player is now, in the plan's field names, read with the device
// operations. Read on the thread that owns the session.
class CPlanState
{
public:
    // Reads the name, Wi-Fi state, device information and both set-ups, and
    // the connected access point when withAccessPoint. m_bRead is false, with
    // m_strError set, when an operation failed.
    static CPlanState Read(CPlayerSession &session, const QString &player, bool withAccessPoint);
    static CPlanValues Wanted(const CPlanEntry &entry);

    // Every field of the entry, and whether it differs.
    QList<CPlanChange> Changes(const CPlanEntry &entry) const;
    QList<CPlanChange> Unchanged(const CPlanEntry &entry) const;
    // The address an interface (LAN, or Wi-Fi when wifi) is seen to use: for
    // LAN the address the player answered at, unless that is its Wi-Fi
    // address, then the lanip it reports; for Wi-Fi the wifiip it reports.
    // Empty when there is none.
    QString AddressInUse(bool wifi) const;
    // Whether the player uses the address of the entry's static set-up for
    // an interface. Nothing when that cannot be told: a DHCP set-up, no
    // set-up planned, or no address in use.
    std::optional<bool> UsesPlannedAddress(const CPlanEntry &entry, bool wifi) const;
    // For each interface whose set-up reads as planned while it uses another
    // address (a set-up stored without its reboot): lan.ip or wlan.ip, from
    // the address in use to the planned one.
    QList<CPlanChange> PendingReboot(const CPlanEntry &entry) const;
    QString Value(const QString &field) const { return m_values.value(field); }

    bool m_bRead = false;
    QString m_strError;
    QString m_strPlayer;
    QString m_strLanMac;
    // The record as read, for a DHCP set-up, which sends the addresses along.
    CDevice m_device;

private:
    QList<CPlanChange> Compare(const CPlanEntry &entry, bool differing) const;

    QHash<QString, QString> m_values;
};
