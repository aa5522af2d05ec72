#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

// Stands in for the firmware dialog: the owner that receives the uploaders'
// posted messages, recorded in arrival order.
class CUploadRecorder : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    QList<qint64> Progress() const { return m_progress; }
    QStringList Failures() const { return m_failures; }
    // The player address each progress message named, in arrival order.
    QStringList ProgressPlayers() const { return m_progressPlayers; }

protected:
    void customEvent(QEvent *event) override;

private:
    QList<qint64> m_progress;
    QStringList m_failures;
    QStringList m_progressPlayers;
};
