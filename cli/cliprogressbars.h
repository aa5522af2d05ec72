#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class QTextStream;
class CUploadMonitor;

// One line per player on a terminal, redrawn in place as downloads advance.
class CCliProgressBars
{
public:
    // Characters of the bar itself; with the address and the figures a line
    // stays within an 80-column terminal.
    static constexpr int BAR_WIDTH = 40;

    CCliProgressBars(QTextStream &stream, const CUploadMonitor &monitor);

    // Redraws when any line would look different from the last drawing.
    void Update();
    // One player's line, without the terminal's control sequences.
    static QString Line(const QString &player, qint64 progress, const QString &status);

private:
    QString LineOf(const QString &player) const;

    QTextStream &m_stream;
    const CUploadMonitor &m_monitor;
    QHash<QString, QString> m_drawn;
    bool m_bDrawnOnce = false;
};
