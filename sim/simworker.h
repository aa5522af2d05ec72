#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include "simplayerconfig.h"

class CSimPlayer;
class CSimProbeListener;
class CSimRegistry;

// Lives on CSimNetwork's worker thread and owns everything with a socket.
// Its methods run only on that thread.
class CSimWorker : public QObject
{
    Q_OBJECT

public:
    explicit CSimWorker(CSimRegistry &registry) : m_registry(registry) {}

    // Binds every port; returns one line per failure, empty when all is well.
    QStringList StartPlayers(const QList<CSimPlayerConfig> &players);
    void StopPlayers();
    void ApplyListening(const QString &address);

private:
    CSimRegistry &m_registry;
    CSimProbeListener *m_pProbes = nullptr;
    QHash<QString, CSimPlayer *> m_players;
};
