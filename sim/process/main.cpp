#include <cstdio>
#include <cstdlib>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include "kestavonversion.h"
#include "simconfigloader.h"
#include "simhost.h"
#include "simlimits.h"
#include "simnetwork.h"
#include "simsignalwatcher.h"

namespace {

int Fail(const QString &message)
{
    std::fprintf(stderr, "kestavon-player-sim: %s\n", qPrintable(message));
    return EXIT_FAILURE;
}

void PrintPlayers(const QList<CSimPlayerConfig> &players)
{
    for (const CSimPlayerConfig &player : players) {
        std::printf("%-15s  %-8s  %s\n", qPrintable(player.m_strAddress),
                    qPrintable(player.m_strModel), qPrintable(player.m_strName));
    }
    std::fflush(stdout);
}

// The demo players: from the source tree when run from a build, else the
// copy installed beside the executable's share folder.
QString DefaultConfig()
{
    const QString built = QStringLiteral(KESTAVON_SIM_DEFAULT_CONFIG);
    if (QFileInfo::exists(built))
        return built;
    return QCoreApplication::applicationDirPath() +
           QStringLiteral("/" KESTAVON_SIM_INSTALLED_CONFIG);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kestavon-player-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KESTAVON_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulated Kestavon players on 127.0.0.x, for testing Kestavon Setup.\n"
                       "Run it inside scripts/netns-run; it refuses to start when any "
                       "interface but loopback is up."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption config(QStringLiteral("config"),
                                    QStringLiteral("JSON file describing the players."),
                                    QStringLiteral("file"), DefaultConfig());
    const QCommandLineOption away(QStringLiteral("unreachable-ms"),
                                  QStringLiteral("How long a reset or reboot keeps a player away."),
                                  QStringLiteral("ms"),
                                  QString::number(SimLimits::kDefaultUnreachableMs));
    parser.addOption(config);
    parser.addOption(away);
    parser.process(app);

    QString offending;
    if (!SimHost::OnlyLoopbackIsUp(&offending))
        return Fail(QStringLiteral("refusing to run: interface %1 is up; run it through "
                                   "scripts/netns-run")
                        .arg(offending));
    bool numberOk = false;
    const int awayMs = parser.value(away).toInt(&numberOk);
    if (!numberOk || awayMs < 0)
        return Fail(QStringLiteral("--unreachable-ms takes a number of milliseconds"));

    QString error;
    const QList<CSimPlayerConfig> players =
        CSimConfigLoader::LoadFile(parser.value(config), &error);
    if (players.isEmpty())
        return Fail(error);
    CSimNetwork network;
    network.SetUnreachableTime(awayMs);
    if (!network.Start(players, &error))
        return Fail(error);
    PrintPlayers(players);

    CSimSignalWatcher watcher;
    if (!watcher.IsValid())
        return Fail(QStringLiteral("cannot watch for SIGINT and SIGTERM"));
    QObject::connect(&watcher, &CSimSignalWatcher::Stopping, &app, &QCoreApplication::quit);
    return app.exec();
}
