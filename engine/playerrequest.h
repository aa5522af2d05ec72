#pragma once

#include <optional>

#include <QString>
#include <QStringList>

#include "sweeprange.h"

enum class EPlayerCommand
{
    None,
    Adapters,
    Discover,
    Info,
    Name,
    Wifi,
    Aps,
    Connect,
    Forget,
    Lan,
    Wlan,
    Reboot,
    Reset,
    Firmware,
    Inventory,
    Apply,
    Doctor
};

// What lan and wlan do, told by their first argument.
enum class ESetupAction
{
    Show,
    Static,
    Dhcp
};

// One command line, parsed and checked: everything the run needs, and nothing
// that has touched the network yet.
class CPlayerRequest
{
public:
    // Players answer a sweep within a second or two; three leaves room for a
    // busy one without keeping a script waiting long.
    static constexpr int DEFAULT_WAIT_SECONDS = 3;
    // A firmware image of some tens of MiB reaches a player on a slow Wi-Fi
    // link in a few minutes.
    static constexpr int DEFAULT_FIRMWARE_TIMEOUT_SECONDS = 300;
    static constexpr int MS_PER_SECOND = 1000;

    bool IsPlayerCommand() const;
    // Commands that discover the players themselves and take the discovery
    // options and --parallel, but no --player or --all.
    bool IsSiteCommand() const;
    // Commands that only read, whose results are shown in full.
    bool IsQuery() const;
    ESetupAction Setup() const;
    // The name the command has on the command line.
    QString CommandName() const;
    static QString CommandName(EPlayerCommand command);
    static EPlayerCommand CommandFromName(const QString &name);

    EPlayerCommand m_command = EPlayerCommand::None;
    bool m_bJson = false;
    bool m_bAll = false;
    QStringList m_players;
    QString m_strAdapter;
    QString m_strSweepIp;
    int m_nWaitMs = DEFAULT_WAIT_SECONDS * MS_PER_SECOND;
    int m_nParallel = 1;
    // The positional arguments after the command word, in order.
    QStringList m_arguments;
    bool m_bReset = false;
    bool m_bReboot = false;
    QString m_strDownloadIp;
    int m_nTimeoutMs = DEFAULT_FIRMWARE_TIMEOUT_SECONDS * MS_PER_SECOND;
    bool m_bCsv = false;
    // --subnet: the network swept instead of the adapter's /24.
    std::optional<CSweepRange> m_subnet;
    bool m_bDryRun = false;
    // firmware --expect-version: wait for every player to come back with it.
    QString m_strExpectVersion;
};
