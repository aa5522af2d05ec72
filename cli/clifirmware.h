#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "cliplayerresult.h"
#include "clirequest.h"

class QDeadlineTimer;
class QTextStream;
class CCliUploadMonitor;

// A firmware update of several players: serves the file, tells every player
// to download it, and waits until each has received all of it or the
// time-out has passed. Downloads still running then are cut and reported.
class CCliFirmware
{
public:
    // pProgress: where to draw progress bars, or null for none.
    CCliFirmware(const CCliRequest &request, QTextStream *pProgress);

    // None, with error set, when the file cannot be served at all; nothing
    // has been sent then.
    std::optional<QList<CCliPlayerResult>> Run(const QStringList &players, QString *error);
    // Upload failures that named no player, for the user to see.
    QStringList UnattributedFailures() const { return m_unattributed; }

private:
    void WaitForDownloads(CCliUploadMonitor &monitor, const QDeadlineTimer &deadline) const;
    CCliPlayerResult Outcome(const CCliPlayerResult &sent, const CCliUploadMonitor &monitor) const;

    const CCliRequest m_request;
    QTextStream *m_pProgress;
    qint64 m_nFileSize = 0;
    QStringList m_unattributed;
};
