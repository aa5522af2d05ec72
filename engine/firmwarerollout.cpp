#include "firmwarerollout.h"

#include <memory>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include "playerbatch.h"
#include "playertask.h"
#include "uploadmonitor.h"
#include "netcommander.h"
#include "portholder.h"
#include "updatelistener.h"
#include "uploadfile.h"
#include "wirevocabulary.h"

namespace {

// Scheduling slack on top of the command channel's own time-outs.
constexpr int SEND_MARGIN_MS = 5000;
// "updateFirmware" is sent without waiting for a reply: one connect and one
// send, each bounded by the command channel's time-outs.
constexpr std::chrono::milliseconds SEND_BOUND{CNetCommander::CONNECT_TIMEOUT_MS +
                                               CNetCommander::RECEIVE_TIMEOUT_MS + SEND_MARGIN_MS};
// A cut upload's thread ends at its next event; this only bounds the wait
// for its report.
constexpr int ABORT_WAIT_MS = 5000;

// Waits, serving events, until the listener has no running upload or the
// deadline has passed.
void WaitForUploadsToEnd(CUpdateListener &listener, const QDeadlineTimer &deadline)
{
    if (listener.RunningUploads() == 0 || deadline.hasExpired())
        return;
    QEventLoop loop;
    QObject::connect(&listener, &CUpdateListener::AllUploadsEnded, &loop, &QEventLoop::quit);
    QTimer::singleShot(deadline.remainingTime(), &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

CFirmwareRollout::CFirmwareRollout(const CPlayerRequest &request,
                                   std::shared_ptr<const CUploadFile> pImage,
                                   ProgressFunction progress)
    : m_request(request), m_pImage(std::move(pImage)), m_progress(std::move(progress))
{}

std::optional<QList<CPlayerResult>> CFirmwareRollout::Run(const QStringList &players,
                                                          QString *error)
{
    if (!m_pImage) {
        *error = QStringLiteral("cannot serve the firmware: no image was read");
        return std::nullopt;
    }
    CUploadMonitor monitor(players);
    CUpdateListener listener(&monitor, [image = m_pImage] { return image; });
    if (!listener.Listen()) {
        *error = QStringLiteral("cannot serve the firmware: ") +
                 CPortHolder::InUseText(CUpdateListener::UPDATE_PORT);
        return std::nullopt;
    }

    if (m_progress) {
        QObject::connect(&monitor, &CUploadMonitor::Changed, &monitor,
                         [this, &monitor] { m_progress(monitor); });
        m_progress(monitor);
    }

    const CPlayerTask task(m_request);
    CPlayerBatch batch([task](CPlayerSession &session,
                              const QString &player) { return task.Run(session, player); },
                       m_request.m_nParallel, SEND_BOUND);
    const QList<CPlayerResult> sent = batch.Run(players);
    const QDeadlineTimer deadline(m_request.m_nTimeoutMs);
    for (const CPlayerResult &result : sent) {
        if (!result.m_bOk)
            monitor.MarkNotSent(result.m_strPlayer);
    }
    WaitForDownloads(monitor, deadline);
    QList<CPlayerResult> results;
    for (const CPlayerResult &result : sent)
        results.append(Outcome(result, monitor));

    // The process ends with this run: every download still queued or running
    // (another host's, or a player's second) is finished within the time
    // left, or cut with a report, never cut silently by the exit.
    listener.Close();
    WaitForUploadsToEnd(listener, deadline);
    listener.AbortUploads();
    WaitForUploadsToEnd(listener, QDeadlineTimer(ABORT_WAIT_MS));
    QCoreApplication::sendPostedEvents(&monitor);
    m_unattributed = monitor.UnattributedFailures();
    return results;
}

void CFirmwareRollout::WaitForDownloads(CUploadMonitor &monitor,
                                        const QDeadlineTimer &deadline) const
{
    if (monitor.AllSettled())
        return;
    QEventLoop loop;
    QObject::connect(&monitor, &CUploadMonitor::Settled, &loop, &QEventLoop::quit);
    QTimer::singleShot(deadline.remainingTime(), &loop, &QEventLoop::quit);
    loop.exec();
}

CPlayerResult CFirmwareRollout::Outcome(const CPlayerResult &sent,
                                        const CUploadMonitor &monitor) const
{
    if (!sent.m_bOk)
        return sent;
    const QString &player = sent.m_strPlayer;
    switch (monitor.State(player)) {
    case CUploadMonitor::EState::Complete:
        return CPlayerResult::Success(player,
                                      {{WireVocabulary::DOWNLOADIP, m_request.m_strDownloadIp},
                                       {QStringLiteral("size"), m_pImage->Size()}});
    case CUploadMonitor::EState::Failed:
        return CPlayerResult::Failure(player, monitor.Failure(player));
    default:
        break;
    }
    const double seconds =
        static_cast<double>(m_request.m_nTimeoutMs) / CPlayerRequest::MS_PER_SECOND;
    return CPlayerResult::Failure(
        player, QStringLiteral("firmware download not complete after %1 s").arg(seconds));
}
