#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include "simplayerconfig.h"

class CSimJobQueue;
class CSimPlayer;
class CSimProbeListener;
class CSimRegistry;

// Lives on CSimNetwork's worker thread and owns everything with a socket.
// Its methods run only on that thread, as jobs from CSimJobQueue.
class CSimWorker : public QObject
{
    Q_OBJECT

public:
    CSimWorker(CSimRegistry &registry, CSimJobQueue &jobs) : m_registry(registry), m_jobs(jobs) {}

    // Runs the queued jobs; CSimJobQueue posts the call.
    Q_INVOKABLE void RunJobs();

    // Binds every port; returns one line per failure, empty when all is well.
    QStringList StartPlayers(const QList<CSimPlayerConfig> &players);
    void ApplyListening(const QString &address);

private:
    CSimRegistry &m_registry;
    CSimJobQueue &m_jobs;
    CSimProbeListener *m_pProbes = nullptr;
    QHash<QString, CSimPlayer *> m_players;
};
