#pragma once

#include <functional>
#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "doctorfinding.h"

// Whether the local firewall would drop the players' connections to TCP
// 10014 (announcements) and 10017 (firmware downloads): the nftables ruleset
// when it can be read, firewalld and ufw when they are installed. Each tool
// is asked read-only; a tool that is missing is not a problem.
class CFirewallCheck
{
public:
    // Runs a program with arguments and gives its standard output, or none
    // when it is not installed, failed or did not end in time.
    using Runner =
        std::function<std::optional<QString>(const QString &program, const QStringList &arguments)>;
    static Runner SystemRunner();

    static QList<CDoctorFinding> Check(const Runner &run);
    // An input chain that drops by default and accepts neither port; a
    // heuristic on the listing, which does not follow jumps or named sets.
    static QList<CDoctorFinding> NftablesFindings(const QString &ruleset);

private:
    static QList<CDoctorFinding> Nftables(const Runner &run);
    static QList<CDoctorFinding> Firewalld(const Runner &run);
    static QList<CDoctorFinding> Ufw(const Runner &run);
};
