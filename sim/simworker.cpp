#include "simworker.h"

#include "simplayer.h"
#include "simprobelistener.h"

QStringList CSimWorker::StartPlayers(const QList<CSimPlayerConfig> &players)
{
    QStringList errors;
    QString error;
    m_pProbes = new CSimProbeListener(this);
    if (!m_pProbes->Listen(&error))
        errors << QStringLiteral("probe port: %1").arg(error);
    for (const CSimPlayerConfig &config : players) {
        auto *player = new CSimPlayer(m_registry, config.m_strAddress, this);
        m_players.insert(config.m_strAddress, player);
        m_pProbes->AddPlayer(config.m_strAddress, player);
        if (!player->Start(&error))
            errors << QStringLiteral("%1: %2").arg(config.m_strAddress, error);
    }
    return errors;
}

void CSimWorker::StopPlayers()
{
    delete m_pProbes;
    m_pProbes = nullptr;
    qDeleteAll(m_players);
    m_players.clear();
}

void CSimWorker::ApplyListening(const QString &address)
{
    if (CSimPlayer *player = m_players.value(address))
        player->ApplyListening();
}
