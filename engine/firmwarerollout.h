#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "playerresult.h"
#include "playerrequest.h"

class QDeadlineTimer;
class CUploadMonitor;
class CUploadFile;

// A firmware update of several players: serves the image, tells every player
// to download it, and waits until each has received all of it or the
// time-out has passed. Downloads still running then are cut and reported.
class CFirmwareRollout
{
public:
    // Told of the downloads once before the first player is asked and then
    // whenever one advances or ends, on the calling thread.
    using ProgressFunction = std::function<void(const CUploadMonitor &monitor)>;

    // pImage: the image as it was checked, the bytes every download gets;
    // progress: who follows the downloads, or none.
    CFirmwareRollout(const CPlayerRequest &request, std::shared_ptr<const CUploadFile> pImage,
                     ProgressFunction progress = {});

    // None, with error set, when the file cannot be served at all; nothing
    // has been sent then.
    std::optional<QList<CPlayerResult>> Run(const QStringList &players, QString *error);
    // Upload failures that named no player, for the user to see.
    QStringList UnattributedFailures() const { return m_unattributed; }

private:
    void WaitForDownloads(CUploadMonitor &monitor, const QDeadlineTimer &deadline) const;
    CPlayerResult Outcome(const CPlayerResult &sent, const CUploadMonitor &monitor) const;

    const CPlayerRequest m_request;
    const std::shared_ptr<const CUploadFile> m_pImage;
    const ProgressFunction m_progress;
    QStringList m_unattributed;
};
