#include "simworker.h"

#include "simjobqueue.h"
#include "simplayer.h"
#include "simprobelistener.h"

void CSimWorker::RunJobs()
{
    m_jobs.RunPending(*this);
}

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
        player->SetAddressClaim([this, player](const QHostAddress &from, const QHostAddress &to) {
            return m_pProbes->MovePlayer(from, to, player);
        });
        if (!player->Start(&error))
            errors << QStringLiteral("%1: %2").arg(config.m_strAddress, error);
    }
    return errors;
}

void CSimWorker::ApplyListening(const QString &address)
{
    if (CSimPlayer *player = m_players.value(address))
        player->ApplyListening();
}
