#include "firewallcheck.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

// A firewall tool that has not answered by then is not waited for.
constexpr int TOOL_TIMEOUT_MS = 5000;
const QString ANNOUNCE_PORT = QStringLiteral("10014");
const QString FIRMWARE_PORT = QStringLiteral("10017");
const QString SERVICE = QStringLiteral("kestavon-setup");

// One chain of an nftables listing.
struct CChain
{
    QString m_strFamily;
    QString m_strTable;
    QString m_strName;
    bool m_bInputDrop = false;
    QStringList m_rules;
};

QList<CChain> Chains(const QString &ruleset)
{
    static const QRegularExpression table(QStringLiteral("^table\\s+(\\S+)\\s+(\\S+)\\s*\\{"));
    static const QRegularExpression chain(QStringLiteral("^chain\\s+(\\S+)\\s*\\{"));
    QList<CChain> chains;
    QString family;
    QString tableName;
    bool inChain = false;
    for (const QString &raw : ruleset.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (const auto match = table.match(line); match.hasMatch()) {
            family = match.captured(1);
            tableName = match.captured(2);
            inChain = false;
        } else if (const auto found = chain.match(line); found.hasMatch()) {
            chains.append({family, tableName, found.captured(1), false, {}});
            inChain = true;
        } else if (inChain && line == QLatin1String("}")) {
            inChain = false;
        } else if (inChain) {
            CChain &current = chains.last();
            if (line.contains(QLatin1String("hook input")) &&
                line.contains(QLatin1String("policy drop")))
                current.m_bInputDrop = true;
            current.m_rules.append(line);
        }
    }
    return chains;
}

bool Accepts(const CChain &chain, const QString &port)
{
    return std::any_of(chain.m_rules.cbegin(), chain.m_rules.cend(), [&port](const QString &rule) {
        return rule.contains(QLatin1String("dport")) && rule.contains(port) &&
               rule.contains(QLatin1String("accept"));
    });
}

} // namespace

CFirewallCheck::Runner CFirewallCheck::SystemRunner()
{
    return [](const QString &program, const QStringList &arguments) -> std::optional<QString> {
        const QString path = QStandardPaths::findExecutable(program);
        if (path.isEmpty())
            return std::nullopt;
        QProcess process;
        process.start(path, arguments);
        if (!process.waitForFinished(TOOL_TIMEOUT_MS)) {
            process.kill();
            process.waitForFinished(TOOL_TIMEOUT_MS);
            return std::nullopt;
        }
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            return std::nullopt;
        return QString::fromLocal8Bit(process.readAllStandardOutput());
    };
}

QList<CDoctorFinding> CFirewallCheck::Check(const Runner &run)
{
    return Nftables(run) + Firewalld(run) + Ufw(run);
}

QList<CDoctorFinding> CFirewallCheck::Nftables(const Runner &run)
{
    const std::optional<QString> ruleset =
        run(QStringLiteral("nft"), {QStringLiteral("list"), QStringLiteral("ruleset")});
    // Listing the ruleset needs root; without it nothing can be said.
    if (!ruleset)
        return {};
    return NftablesFindings(*ruleset);
}

QList<CDoctorFinding> CFirewallCheck::NftablesFindings(const QString &ruleset)
{
    QList<CDoctorFinding> findings;
    for (const CChain &chain : Chains(ruleset)) {
        if (!chain.m_bInputDrop)
            continue;
        const QString name = QStringLiteral("nftables %1 %2 %3")
                                 .arg(chain.m_strFamily, chain.m_strTable, chain.m_strName);
        QStringList closed;
        for (const QString &port : {ANNOUNCE_PORT, FIRMWARE_PORT}) {
            if (!Accepts(chain, port))
                closed.append(port);
        }
        if (closed.isEmpty()) {
            findings.append(CDoctorFinding::Ok(
                name, QStringLiteral("drops by default, accepts TCP 10014 and 10017")));
            continue;
        }
        findings.append(
            CDoctorFinding::Problem(name,
                                    QStringLiteral("drops by default and accepts no TCP %1")
                                        .arg(closed.join(QStringLiteral(" or "))),
                                    QStringLiteral("nft add rule %1 %2 %3 tcp dport { %4 } accept")
                                        .arg(chain.m_strFamily, chain.m_strTable, chain.m_strName,
                                             closed.join(QStringLiteral(", ")))));
    }
    if (findings.isEmpty())
        findings.append(CDoctorFinding::Ok(QStringLiteral("nftables"),
                                           QStringLiteral("no input chain drops by default")));
    return findings;
}

QList<CDoctorFinding> CFirewallCheck::Firewalld(const Runner &run)
{
    const QString check = QStringLiteral("firewalld");
    const std::optional<QString> state =
        run(QStringLiteral("firewall-cmd"), {QStringLiteral("--state")});
    if (!state || state->trimmed() != QLatin1String("running"))
        return {};
    const std::optional<QString> service =
        run(QStringLiteral("firewall-cmd"), {QStringLiteral("--query-service=%1").arg(SERVICE)});
    if (service && service->trimmed() == QLatin1String("yes"))
        return {CDoctorFinding::Ok(check, QStringLiteral("the kestavon-setup service is open"))};
    return {CDoctorFinding::Problem(
        check, QStringLiteral("running, and the kestavon-setup service is not open"),
        QStringLiteral("firewall-cmd --add-service=%1 && firewall-cmd --permanent "
                       "--add-service=%1")
            .arg(SERVICE))};
}

QList<CDoctorFinding> CFirewallCheck::Ufw(const Runner &run)
{
    const QString check = QStringLiteral("ufw");
    const std::optional<QString> status = run(QStringLiteral("ufw"), {QStringLiteral("status")});
    if (!status || !status->contains(QLatin1String("Status: active")))
        return {};
    if (status->contains(QLatin1String("Kestavon Setup")) ||
        (status->contains(ANNOUNCE_PORT) && status->contains(FIRMWARE_PORT)))
        return {CDoctorFinding::Ok(check, QStringLiteral("active, Kestavon Setup allowed"))};
    return {CDoctorFinding::Problem(check,
                                    QStringLiteral("active, and Kestavon Setup is not allowed"),
                                    QStringLiteral("ufw allow \"Kestavon Setup\""))};
}
