#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

class CPostedMessage;

// Follows the firmware downloads of a set of players. It is the file server's
// owner: the uploader threads post their progress and failures to it, each
// naming the downloading player by address; one that names nobody can only be
// attributed when a single player is still waiting.
class CUploadMonitor : public QObject
{
    Q_OBJECT

public:
    enum class EState
    {
        Waiting,
        Complete,
        Failed,
        NotSent // the player was never told to download
    };

    explicit CUploadMonitor(const QStringList &players, QObject *parent = nullptr);

    void MarkNotSent(const QString &player);
    // True once no player is still waiting.
    bool AllSettled() const;
    EState State(const QString &player) const;
    // 0..500, as the uploader reports it.
    qint64 Progress(const QString &player) const;
    QString Failure(const QString &player) const;
    // Failures no player could be named for.
    QStringList UnattributedFailures() const { return m_unattributed; }
    QStringList Players() const { return m_players; }

signals:
    void Changed();
    void Settled();

protected:
    bool event(QEvent *event) override;

private:
    class CUpload
    {
    public:
        EState m_state = EState::Waiting;
        qint64 m_nProgress = 0;
        QString m_strFailure;
    };

    void OnProgress(const CPostedMessage &message);
    void OnFailed(const CPostedMessage &message);
    QString SoleWaitingPlayer() const;
    QString PlayerOf(const CPostedMessage &message) const;
    void Notify();

    const QStringList m_players;
    QHash<QString, CUpload> m_uploads;
    QStringList m_unattributed;
};
