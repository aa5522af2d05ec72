#include "cliapplication.h"

#include <QHash>
#include <QHostAddress>
#include <QTextStream>

#include "planapply.h"
#include "playerbatch.h"
#include "setupmanager.h"
#include "sitediscovery.h"
#include "doctor.h"
#include "clidoctorreport.h"
#include "cliinventoryreport.h"
#include "cliapplyreport.h"
#include "filecheck.h"
#include "cliexitcode.h"
#include "firmwarerollout.h"
#include "inventory.h"
#include "clioutput.h"
#include "cliparser.h"
#include "cliprogressbars.h"
#include "plan.h"
#include "clipasswordreader.h"
#include "playertask.h"
#include "clitext.h"
#include "cliusage.h"
#include "versioncheck.h"
#include "devicediscover.h"
#include "fileuploader.h"
#include "netcommander.h"
#include "networkchecker.h"
#include "playerkinds.h"
#include "portholder.h"
#include "wirevocabulary.h"

namespace {

constexpr std::chrono::milliseconds PLAYER_BOUND =
    CPlayerTask::ExchangesBound(CPlayerTask::MAX_EXCHANGES);
// The model class this tool configures; --all skips the others.
const QLatin1String PASSWORD_FROM_STDIN("-");
constexpr qsizetype PASSWORD_ARGUMENT = 1;

} // namespace

CCliApplication::CCliApplication(QTextStream &out, QTextStream &err, int stdinFd,
                                 bool progressOnTerminal)
    : m_out(out), m_err(err), m_stdinFd(stdinFd), m_bProgressOnTerminal(progressOnTerminal)
{}

CCliApplication::~CCliApplication() = default;

int CCliApplication::Run(const QStringList &arguments)
{
    const CCliParseResult parsed = CCliParser::Parse(arguments);
    switch (parsed.m_status) {
    case CCliParseResult::EStatus::Help:
        m_out << CCliUsage::Help();
        return CliExit::OK;
    case CCliParseResult::EStatus::Version:
        m_out << CCliUsage::Version();
        return CliExit::OK;
    case CCliParseResult::EStatus::UsageError:
        return UsageError(parsed.m_strError);
    case CCliParseResult::EStatus::Run:
        break;
    }
    m_request = parsed.m_request;
    if (m_request.m_command == EPlayerCommand::Adapters)
        return RunAdapters();
    if (m_request.m_command == EPlayerCommand::Discover)
        return RunDiscover();
    if (m_request.m_command == EPlayerCommand::Inventory)
        return RunInventory();
    if (m_request.m_command == EPlayerCommand::Apply)
        return RunApply();
    if (m_request.m_command == EPlayerCommand::Doctor)
        return RunDoctor();
    return RunPlayers();
}

int CCliApplication::UsageError(const QString &message)
{
    // Messages quote what was given: an argument, a plan's text.
    m_err << CCliUsage::ProgramName() << ": " << CCliText::Escaped(message) << '\n'
          << CCliUsage::Synopsis()
          << QStringLiteral("Try '%1 --help' for more.\n").arg(CCliUsage::ProgramName());
    m_err.flush();
    return CliExit::USAGE;
}

int CCliApplication::Refuse(const QString &message, int exitCode)
{
    m_err << CCliUsage::ProgramName() << ": " << CCliText::Escaped(message) << '\n';
    m_err.flush();
    return exitCode;
}

int CCliApplication::NoPlayersAnswered()
{
    Refuse(QStringLiteral("no player answered"), CliExit::NO_PLAYERS);
    return Refuse(QStringLiteral("hint: players answer on TCP port 10014 of this computer; if a "
                                 "firewall runs, let them in with 'firewall-cmd "
                                 "--add-service=kestavon-setup' or 'ufw allow \"Kestavon "
                                 "Setup\"'"),
                  CliExit::NO_PLAYERS);
}

void CCliApplication::PrintJson(const QJsonArray &array)
{
    m_out << QString::fromUtf8(CCliOutput::Document(array));
    m_out.flush();
}

int CCliApplication::RunAdapters()
{
    CNetworkChecker checker;
    checker.EnumerateAdapters();
    if (m_request.m_bJson)
        PrintJson(CCliOutput::AdaptersJson(checker.Adapters()));
    else
        m_out << CCliOutput::AdaptersText(checker.Adapters());
    return CliExit::OK;
}

// The exit status when the discovery could not run at all.
std::optional<int> CCliApplication::Discover(CSiteDiscovery &discovery)
{
    switch (discovery.Run()) {
    case CSiteDiscovery::EOutcome::NoAdapter:
        return Refuse(QStringLiteral("no network adapter to search from"), CliExit::NO_PLAYERS);
    case CSiteDiscovery::EOutcome::UnknownAdapter:
        return UsageError(QStringLiteral("no adapter is described as '%1' (see 'adapters')")
                              .arg(m_request.m_strAdapter));
    case CSiteDiscovery::EOutcome::CannotListen: {
        const QString holder = CPortHolder::Find(CDeviceDiscover::ANNOUNCE_PORT);
        // A holder that cannot be named is another user's process, most
        // likely the desktop tool in another session.
        const QString message = holder.isEmpty()
                                    ? CPortHolder::InUseText(CDeviceDiscover::ANNOUNCE_PORT) +
                                          QStringLiteral(" (is Kestavon Setup running?)")
                                    : CPortHolder::InUseText(CDeviceDiscover::ANNOUNCE_PORT);
        return Refuse(message, CliExit::FAILED);
    }
    case CSiteDiscovery::EOutcome::Done:
        break;
    }
    // The list is not the whole site then; a script reading it must know.
    if (discovery.TurnedAway() > 0) {
        m_err << CCliUsage::ProgramName() << ": "
              << QStringLiteral("warning: %1 more players answered than the %2 a search can list; "
                                "search a smaller --subnet to see them\n")
                     .arg(discovery.TurnedAway())
                     .arg(CSetupManager::MAX_DEVICES);
        m_err.flush();
    }
    return std::nullopt;
}

int CCliApplication::RunDiscover()
{
    CSiteDiscovery discovery(m_request);
    if (const std::optional<int> refused = Discover(discovery))
        return *refused;
    const QList<CDeviceSummary> devices = discovery.Devices();
    if (m_request.m_bJson)
        PrintJson(CCliOutput::DevicesJson(devices));
    else if (!devices.isEmpty())
        m_out << CCliOutput::DevicesText(devices);
    if (devices.isEmpty())
        return NoPlayersAnswered();
    return CliExit::OK;
}

QStringList CCliApplication::Configurable(const QList<CDeviceSummary> &devices)
{
    QStringList players;
    for (const CDeviceSummary &device : devices) {
        if (device.modelClass == PlayerKinds::DEVICE_PAGE_CLASS)
            players.append(device.ip);
    }
    return players;
}

int CCliApplication::RunInventory()
{
    CSiteDiscovery discovery(m_request);
    if (const std::optional<int> refused = Discover(discovery))
        return *refused;
    const QList<CDeviceSummary> devices = discovery.Devices();
    const CPlayerTask task(m_request);
    CPlayerBatch batch([task](CPlayerSession &session,
                              const QString &player) { return task.Run(session, player); },
                       m_request.m_nParallel, PLAYER_BOUND);
    const QList<CPlayerFields> rows = CInventory::Rows(devices, batch.Run(Configurable(devices)));
    if (m_request.m_bJson)
        PrintJson(CCliInventoryReport::Json(rows));
    else if (m_request.m_bCsv)
        m_out << CCliInventoryReport::Csv(rows);
    else if (!rows.isEmpty())
        m_out << CCliInventoryReport::Text(rows);
    m_out.flush();
    if (devices.isEmpty())
        return NoPlayersAnswered();
    return CInventory::AllRead(rows) ? CliExit::OK : CliExit::FAILED;
}

int CCliApplication::RunDoctor()
{
    const QList<CDoctorFinding> findings = CDoctor(CFirewallCheck::SystemRunner()).Run();
    if (m_request.m_bJson)
        PrintJson(CCliDoctorReport::Json(findings));
    else
        m_out << CCliDoctorReport::Text(findings);
    m_out.flush();
    const bool clear = std::all_of(findings.cbegin(), findings.cend(),
                                   [](const CDoctorFinding &finding) { return finding.m_bOk; });
    return clear ? CliExit::OK : CliExit::FAILED;
}

int CCliApplication::RunApply()
{
    // Passwords come from the environment only, never from the plan.
    const CPlan::Environment environment = [](const QString &name) -> std::optional<QString> {
        if (name.isEmpty() || !qEnvironmentVariableIsSet(qPrintable(name)))
            return std::nullopt;
        return qEnvironmentVariable(qPrintable(name));
    };
    QString error;
    const std::optional<QList<CPlanEntry>> plan =
        CPlan::Load(m_request.m_arguments.first(), environment, &error);
    if (!plan)
        return Refuse(error, CliExit::USAGE);
    CSiteDiscovery discovery(m_request);
    if (const std::optional<int> refused = Discover(discovery))
        return *refused;
    CPlanApply apply(m_request, *plan);
    const QList<CApplyOutcome> outcomes = apply.Run(discovery);
    if (m_request.m_bJson)
        PrintJson(CCliApplyReport::Json(outcomes));
    else
        m_out << CCliApplyReport::Text(outcomes, m_request.m_bDryRun);
    m_out.flush();
    if (discovery.Devices().isEmpty())
        return NoPlayersAnswered();
    const bool good =
        std::all_of(outcomes.cbegin(), outcomes.cend(), [this](const CApplyOutcome &outcome) {
            return outcome.IsGood(m_request.m_bDryRun);
        });
    return good ? CliExit::OK : CliExit::FAILED;
}

int CCliApplication::RunPlayers()
{
    if (const std::optional<int> refused = PrepareArguments())
        return *refused;
    QStringList targets;
    QList<CPlayerResult> skipped;
    if (const std::optional<int> refused = FindTargets(targets, skipped))
        return *refused;
    bool served = true;
    QList<CPlayerResult> done = RunCommand(targets, served);
    if (!served)
        return CliExit::FAILED;
    if (!m_request.m_strExpectVersion.isEmpty())
        done = CVersionCheck(m_request, *m_pDiscovery).Run(done, m_udns) + m_notFound;
    return Report(m_request.m_bAll ? Merge(m_discovered, done, skipped) : done);
}

// Everything that can be wrong with the arguments is found before any
// discovery or command.
std::optional<int> CCliApplication::PrepareArguments()
{
    if (m_request.m_command == EPlayerCommand::Firmware) {
        if (const std::optional<int> refused = CheckFirmwareFile())
            return refused;
        if (m_request.m_strDownloadIp.isEmpty() && !m_request.m_bAll) {
            CNetworkChecker checker;
            checker.EnumerateAdapters();
            if (checker.Adapters().empty())
                return UsageError(QStringLiteral("no network adapter to serve the firmware "
                                                 "from; give --local-ip"));
            m_request.m_strDownloadIp = checker.Adapters().front().IpAddress();
        }
    }
    if (m_request.m_command == EPlayerCommand::Connect &&
        m_request.m_arguments.at(PASSWORD_ARGUMENT) == PASSWORD_FROM_STDIN) {
        m_err.flush();
        QString error;
        const std::optional<QString> password = CCliPasswordReader(m_stdinFd).Read(&error);
        if (!password)
            return UsageError(error);
        m_request.m_arguments[PASSWORD_ARGUMENT] = *password;
    }
    return std::nullopt;
}

std::optional<int> CCliApplication::CheckFirmwareFile()
{
    const QString path = m_request.m_arguments.first();
    QString problem;
    m_pFirmwareImage = CFileCheck::LoadFirmware(path, &problem);
    if (m_pFirmwareImage)
        return std::nullopt;
    return UsageError(QStringLiteral("firmware file '%1' %2").arg(path, problem));
}

std::optional<int> CCliApplication::FindTargets(QStringList &targets, QList<CPlayerResult> &skipped)
{
    if (!m_request.m_bAll) {
        targets = m_request.m_players;
        if (m_request.m_strExpectVersion.isEmpty())
            return std::nullopt;
        return FindByAddress(targets);
    }
    m_pDiscovery = std::make_unique<CSiteDiscovery>(m_request);
    CSiteDiscovery &discovery = *m_pDiscovery;
    if (const std::optional<int> refused = Discover(discovery))
        return refused;
    const QList<CDeviceSummary> devices = discovery.Devices();
    if (devices.isEmpty()) {
        if (m_request.m_bJson)
            PrintJson({});
        return NoPlayersAnswered();
    }
    for (const CDeviceSummary &device : devices) {
        m_discovered.append(device.ip);
        m_udns.insert(device.ip, device.udn);
        if (device.modelClass == PlayerKinds::DEVICE_PAGE_CLASS) {
            targets.append(device.ip);
            continue;
        }
        skipped.append(
            CPlayerResult::Skipped(device.ip, {{WireVocabulary::NAME, device.name},
                                               {WireVocabulary::MODEL, device.model},
                                               {QStringLiteral("modelClass"), device.modelClass}}));
    }
    if (m_request.m_strDownloadIp.isEmpty())
        m_request.m_strDownloadIp = discovery.SweepAddress();
    return std::nullopt;
}

std::optional<int> CCliApplication::FindByAddress(QStringList &targets)
{
    QList<quint32> addresses;
    for (const QString &player : std::as_const(targets))
        addresses.append(QHostAddress(player).toIPv4Address());
    CPlayerRequest sweep = m_request;
    sweep.m_subnet = CSweepRange::Covering(addresses);
    if (!sweep.m_subnet)
        return UsageError(QStringLiteral("--expect-version: the players lie too far apart (more "
                                         "than %1 addresses) to be found again; use --all")
                              .arg(CSweepRange::MAX_ADDRESSES));
    m_pDiscovery = std::make_unique<CSiteDiscovery>(sweep);
    if (const std::optional<int> refused = Discover(*m_pDiscovery))
        return refused;
    for (const CDeviceSummary &device : m_pDiscovery->Devices())
        m_udns.insert(device.ip, device.udn);
    QStringList found;
    for (const QString &player : std::as_const(targets)) {
        if (m_udns.contains(player)) {
            found.append(player);
            continue;
        }
        m_notFound.append(CPlayerResult::Failure(
            player, QStringLiteral("did not answer a discovery, so it could not be found again "
                                   "after the update; nothing sent")));
    }
    targets = found;
    return std::nullopt;
}

QList<CPlayerResult> CCliApplication::RunCommand(const QStringList &targets, bool &served)
{
    if (targets.isEmpty())
        return {};
    if (m_request.m_command != EPlayerCommand::Firmware) {
        const CPlayerTask task(m_request);
        CPlayerBatch batch([task](CPlayerSession &session,
                                  const QString &player) { return task.Run(session, player); },
                           m_request.m_nParallel, PLAYER_BOUND);
        return batch.Run(targets);
    }
    // Bars only on a terminal; a script's log would fill with redrawn lines.
    std::unique_ptr<CCliProgressBars> bars;
    CFirmwareRollout::ProgressFunction progress;
    if (m_bProgressOnTerminal) {
        progress = [this, &bars](const CUploadMonitor &monitor) {
            if (!bars)
                bars = std::make_unique<CCliProgressBars>(m_err, monitor);
            bars->Update();
        };
    }
    CFirmwareRollout firmware(m_request, m_pFirmwareImage, std::move(progress));
    QString error;
    const std::optional<QList<CPlayerResult>> results = firmware.Run(targets, &error);
    if (!results) {
        served = false;
        Refuse(error, CliExit::FAILED);
        return {};
    }
    for (const QString &failure : firmware.UnattributedFailures())
        m_err << CCliUsage::ProgramName() << ": an upload failed: " << CCliText::Escaped(failure)
              << '\n';
    return *results;
}

QList<CPlayerResult> CCliApplication::Merge(const QStringList &order,
                                            const QList<CPlayerResult> &done,
                                            const QList<CPlayerResult> &skipped)
{
    QHash<QString, CPlayerResult> byPlayer;
    for (const CPlayerResult &result : done + skipped)
        byPlayer.insert(result.m_strPlayer, result);
    QList<CPlayerResult> merged;
    for (const QString &player : order)
        merged.append(byPlayer.value(player));
    return merged;
}

int CCliApplication::Report(const QList<CPlayerResult> &results)
{
    bool allOk = true;
    for (const CPlayerResult &result : results)
        allOk = allOk && result.m_bOk;
    if (m_request.m_bJson) {
        PrintJson(CCliOutput::ResultsJson(results));
    } else {
        m_out << CCliOutput::ResultsText(m_request, results);
        m_out.flush();
        m_err << CCliOutput::FailuresText(results);
        m_err.flush();
    }
    return allOk ? CliExit::OK : CliExit::FAILED;
}
