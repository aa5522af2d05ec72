// COverviewReader: reads the overview's players off the user-interface thread.
#pragma once

#include <memory>

#include <QObject>
#include <QString>

#include "playerresult.h"

// Sends each player the inventory reads, a bounded number of players at a
// time, each read on a worker with a manager (and so a command channel) of
// its own created there. Results come back to the user-interface thread as
// Done(). A slow or silent player holds one worker for its time-outs, never
// the others. Reads asked for in a search that has been replaced since are
// not started, and a result for one is still delivered with its generation
// for the receiver to drop.
class COverviewReader : public QObject
{
    Q_OBJECT

public:
    // Enough to read a site of dozens of players in a few rounds without
    // flooding the command channels of a small machine.
    static constexpr int MAX_PARALLEL = 8;

    explicit COverviewReader(QObject *parent = nullptr);
    ~COverviewReader() override;

    // Reads still waiting for a worker that belong to an older search are
    // dropped.
    void SetGeneration(int generation);
    void Read(int generation, const QString &key, const QString &ip);

signals:
    void Done(int generation, const QString &key, const CPlayerResult &result);

private:
    class CShared;
    std::shared_ptr<CShared> m_pShared;
};
