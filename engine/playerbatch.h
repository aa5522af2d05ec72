#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>

#include <QList>
#include <QString>
#include <QStringList>

#include "playerresult.h"

class CPlayerSession;

// Runs one task for each of a list of players on worker threads, up to a
// ceiling at once. Every worker has a player session of its own (and so a
// command channel of its own), created on that worker's thread. The calling thread
// keeps its event loop running meanwhile, so objects living there (a firmware
// server) go on working.
class CPlayerBatch
{
public:
    using Task = std::function<CPlayerResult(CPlayerSession &session, const QString &player)>;

    // perPlayer bounds one task: a worker still busy after its share of
    // players times this is given up on. Every worker gets a copy of task,
    // which must hold nothing of the caller's stack: a worker given up on may
    // outlive Run().
    CPlayerBatch(Task task, int parallel, std::chrono::milliseconds perPlayer);

    // Results in the order of players.
    QList<CPlayerResult> Run(const QStringList &players);

private:
    class CShared;

    static void Work(const std::shared_ptr<CShared> &shared, const Task &task, size_t worker);

    Task m_task;
    int m_nParallel;
    std::chrono::milliseconds m_perPlayer;
};
