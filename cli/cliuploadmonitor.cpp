#include "cliuploadmonitor.h"

#include "fileuploader.h"
#include "postedmessage.h"

namespace {

// Failures kept for the final report; an uploader fails at most once, so only
// a flood of strangers' connections could reach this.
constexpr qsizetype MAX_UNATTRIBUTED = 64;

} // namespace

CCliUploadMonitor::CCliUploadMonitor(const QStringList &players, QObject *parent)
    : QObject(parent), m_players(players)
{
    for (const QString &player : players)
        m_uploads.insert(player, CUpload());
}

void CCliUploadMonitor::MarkNotSent(const QString &player)
{
    auto it = m_uploads.find(player);
    if (it == m_uploads.end())
        return;
    it->m_state = EState::NotSent;
    SettleAnonymous();
    Notify();
}

bool CCliUploadMonitor::AllSettled() const
{
    for (const CUpload &upload : m_uploads) {
        if (upload.m_state == EState::Waiting)
            return false;
    }
    return true;
}

CCliUploadMonitor::EState CCliUploadMonitor::State(const QString &player) const
{
    return m_uploads.value(player).m_state;
}

qint64 CCliUploadMonitor::Progress(const QString &player) const
{
    return m_uploads.value(player).m_nProgress;
}

QString CCliUploadMonitor::Failure(const QString &player) const
{
    return m_uploads.value(player).m_strFailure;
}

bool CCliUploadMonitor::event(QEvent *event)
{
    const int type = static_cast<int>(event->type());
    if (type == WM_UPLOAD_PROGRESS) {
        OnProgress(*static_cast<CPostedMessage *>(event));
        return true;
    }
    if (type == WM_UPLOAD_FAILED) {
        OnFailed(*static_cast<CPostedMessage *>(event));
        return true;
    }
    return QObject::event(event);
}

// With one player left waiting, a message that names nobody can only be its.
QString CCliUploadMonitor::SoleWaitingPlayer() const
{
    QString sole;
    for (auto it = m_uploads.cbegin(); it != m_uploads.cend(); ++it) {
        if (it->m_state != EState::Waiting)
            continue;
        if (!sole.isEmpty())
            return {};
        sole = it.key();
    }
    return sole;
}

void CCliUploadMonitor::OnAnonymousProgress(qint64 progress)
{
    if (progress != CFileUpLoader::PROGRESS_COMPLETE)
        return;
    ++m_nAnonymousComplete;
    if (SettleAnonymous())
        Notify();
}

// An uploader that does not name its peer leaves only the count: every
// complete delivery reports 500 exactly once, and only the players told to
// download connect, so as many of them as players waiting means all are done.
// Players found not to have been told leave the count to fewer.
bool CCliUploadMonitor::SettleAnonymous()
{
    qsizetype waiting = 0;
    for (const CUpload &upload : std::as_const(m_uploads))
        waiting += upload.m_state == EState::Waiting ? 1 : 0;
    if (m_nAnonymousComplete == 0 || waiting == 0 || m_nAnonymousComplete < waiting)
        return false;
    for (CUpload &upload : m_uploads) {
        if (upload.m_state != EState::Waiting)
            continue;
        upload.m_state = EState::Complete;
        upload.m_nProgress = CFileUpLoader::PROGRESS_COMPLETE;
    }
    return true;
}

void CCliUploadMonitor::OnProgress(const CPostedMessage &message)
{
    QString player = message.Text();
    if (player.isEmpty())
        player = SoleWaitingPlayer();
    if (player.isEmpty())
        return OnAnonymousProgress(message.WParam());
    auto it = m_uploads.find(player);
    // Someone else downloading, or a second download of a finished player.
    if (it == m_uploads.end() || it->m_state != EState::Waiting)
        return;
    it->m_nProgress = qBound<qint64>(0, message.WParam(), CFileUpLoader::PROGRESS_COMPLETE);
    if (it->m_nProgress == CFileUpLoader::PROGRESS_COMPLETE)
        it->m_state = EState::Complete;
    Notify();
}

void CCliUploadMonitor::OnFailed(const CPostedMessage &message)
{
    const QString player = SoleWaitingPlayer();
    auto it = m_uploads.find(player);
    if (it == m_uploads.end()) {
        if (m_unattributed.size() < MAX_UNATTRIBUTED)
            m_unattributed.append(message.Text());
        return;
    }
    it->m_state = EState::Failed;
    it->m_strFailure = message.Text();
    Notify();
}

void CCliUploadMonitor::Notify()
{
    emit Changed();
    if (AllSettled())
        emit Settled();
}
