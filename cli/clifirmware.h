#pragma once

#include <memory>
#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "cliplayerresult.h"
#include "clirequest.h"

class QDeadlineTimer;
class QTextStream;
class CCliUploadMonitor;
class CUploadFile;

// A firmware update of several players: serves the image, tells every player
// to download it, and waits until each has received all of it or the
// time-out has passed. Downloads still running then are cut and reported.
class CCliFirmware
{
public:
    // pImage: the image as it was checked, the bytes every download gets;
    // pProgress: where to draw progress bars, or null for none.
    CCliFirmware(const CCliRequest &request, std::shared_ptr<const CUploadFile> pImage,
                 QTextStream *pProgress);

    // None, with error set, when the file cannot be served at all; nothing
    // has been sent then.
    std::optional<QList<CCliPlayerResult>> Run(const QStringList &players, QString *error);
    // Upload failures that named no player, for the user to see.
    QStringList UnattributedFailures() const { return m_unattributed; }

private:
    void WaitForDownloads(CCliUploadMonitor &monitor, const QDeadlineTimer &deadline) const;
    CCliPlayerResult Outcome(const CCliPlayerResult &sent, const CCliUploadMonitor &monitor) const;

    const CCliRequest m_request;
    const std::shared_ptr<const CUploadFile> m_pImage;
    QTextStream *m_pProgress;
    QStringList m_unattributed;
};
