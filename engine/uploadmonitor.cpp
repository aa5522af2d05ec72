#include "uploadmonitor.h"

#include <QHostAddress>

#include "fileuploader.h"
#include "postedmessage.h"

namespace {

// Failures kept for the final report; an uploader fails at most once, so only
// a flood of strangers' connections could reach this.
constexpr qsizetype MAX_UNATTRIBUTED = 64;

} // namespace

CUploadMonitor::CUploadMonitor(const QStringList &players, QObject *parent)
    : QObject(parent), m_players(players)
{
    for (const QString &player : players)
        m_uploads.insert(player, CUpload());
}

void CUploadMonitor::MarkNotSent(const QString &player)
{
    auto it = m_uploads.find(player);
    if (it == m_uploads.end())
        return;
    it->m_state = EState::NotSent;
    Notify();
}

bool CUploadMonitor::AllSettled() const
{
    for (const CUpload &upload : m_uploads) {
        if (upload.m_state == EState::Waiting)
            return false;
    }
    return true;
}

CUploadMonitor::EState CUploadMonitor::State(const QString &player) const
{
    return m_uploads.value(player).m_state;
}

qint64 CUploadMonitor::Progress(const QString &player) const
{
    return m_uploads.value(player).m_nProgress;
}

QString CUploadMonitor::Failure(const QString &player) const
{
    return m_uploads.value(player).m_strFailure;
}

bool CUploadMonitor::event(QEvent *event)
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
QString CUploadMonitor::SoleWaitingPlayer() const
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

// The uploader names the downloading player by its IPv4 address in lParam.
QString CUploadMonitor::PlayerOf(const CPostedMessage &message) const
{
    if (message.LParam() == 0)
        return SoleWaitingPlayer();
    return QHostAddress(static_cast<quint32>(message.LParam())).toString();
}

void CUploadMonitor::OnProgress(const CPostedMessage &message)
{
    auto it = m_uploads.find(PlayerOf(message));
    // Someone else downloading, or a second download of a finished player.
    if (it == m_uploads.end() || it->m_state != EState::Waiting)
        return;
    it->m_nProgress = qBound<qint64>(0, message.WParam(), CFileUpLoader::PROGRESS_COMPLETE);
    if (it->m_nProgress == CFileUpLoader::PROGRESS_COMPLETE)
        it->m_state = EState::Complete;
    Notify();
}

void CUploadMonitor::OnFailed(const CPostedMessage &message)
{
    auto it = m_uploads.find(PlayerOf(message));
    if (it == m_uploads.end() || it->m_state != EState::Waiting) {
        if (m_unattributed.size() < MAX_UNATTRIBUTED)
            m_unattributed.append(message.Text());
        return;
    }
    it->m_state = EState::Failed;
    it->m_strFailure = message.Text();
    Notify();
}

void CUploadMonitor::Notify()
{
    emit Changed();
    if (AllSettled())
        emit Settled();
}
