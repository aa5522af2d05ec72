#pragma once

#include <memory>
#include <optional>

#include <QHash>
#include <QJsonArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "playerresult.h"
#include "devicesummary.h"
#include "playerrequest.h"

class QTextStream;
class CSiteDiscovery;
class CUploadFile;

// The command-line front end: reads the command line, runs it on the core
// (manager, discovery, firmware server) and reports. Nothing goes on the wire
// before every argument has been checked.
class CCliApplication
{
public:
    // stdinFd: where a password "-" is read from. progressOnTerminal: draw
    // firmware progress bars on err (only when it is a terminal).
    CCliApplication(QTextStream &out, QTextStream &err, int stdinFd, bool progressOnTerminal);
    ~CCliApplication();
    CCliApplication(const CCliApplication &) = delete;
    CCliApplication &operator=(const CCliApplication &) = delete;

    // arguments without the program name; returns the exit status.
    int Run(const QStringList &arguments);

private:
    int UsageError(const QString &message);
    int Refuse(const QString &message, int exitCode);
    // Nobody answered a search: the usual cause is a firewall, so say how to
    // let the players in.
    int NoPlayersAnswered();
    int RunAdapters();
    std::optional<int> Discover(CSiteDiscovery &discovery);
    int RunDiscover();
    int RunPlayers();
    int RunInventory();
    int RunApply();
    int RunDoctor();
    // The discovered players of the class this tool configures.
    static QStringList Configurable(const QList<CDeviceSummary> &devices);
    std::optional<int> PrepareArguments();
    std::optional<int> CheckFirmwareFile();
    std::optional<int> FindTargets(QStringList &targets, QList<CPlayerResult> &skipped);
    // firmware --expect-version on named players: their udns, by a sweep of
    // the smallest network holding them all; the ones not found are dropped
    // from targets and reported.
    std::optional<int> FindByAddress(QStringList &targets);
    QList<CPlayerResult> RunCommand(const QStringList &targets, bool &served);
    int Report(const QList<CPlayerResult> &results);
    void PrintJson(const QJsonArray &array);
    static QList<CPlayerResult> Merge(const QStringList &order, const QList<CPlayerResult> &done,
                                      const QList<CPlayerResult> &skipped);

    QTextStream &m_out;
    QTextStream &m_err;
    const int m_stdinFd;
    const bool m_bProgressOnTerminal;
    CPlayerRequest m_request;
    // Discovery order of every player --all found, for the report.
    QStringList m_discovered;
    // The discovery that found the players, kept listening to find them again.
    std::unique_ptr<CSiteDiscovery> m_pDiscovery;
    QHash<QString, QString> m_udns; // by address
    QList<CPlayerResult> m_notFound;
    // The firmware image as it was checked: what every download serves.
    std::shared_ptr<const CUploadFile> m_pFirmwareImage;
};
