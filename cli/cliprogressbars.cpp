#include "cliprogressbars.h"

#include <QTextStream>

#include "clitext.h"
#include "uploadmonitor.h"
#include "fileuploader.h"

namespace {

constexpr int PERCENT = 100;
// Wide enough for any dotted IPv4 address.
constexpr int ADDRESS_WIDTH = 15;
constexpr int PERCENT_WIDTH = 3;
const QLatin1String CURSOR_UP("\x1b[%1A");
const QLatin1String CLEAR_LINE("\r\x1b[2K");

QString StatusOf(CUploadMonitor::EState state)
{
    switch (state) {
    case CUploadMonitor::EState::Complete:
        return QStringLiteral("done");
    case CUploadMonitor::EState::Failed:
        return QStringLiteral("failed");
    case CUploadMonitor::EState::NotSent:
        return QStringLiteral("not sent");
    case CUploadMonitor::EState::Waiting:
        break;
    }
    return {};
}

} // namespace

CCliProgressBars::CCliProgressBars(QTextStream &stream, const CUploadMonitor &monitor)
    : m_stream(stream), m_monitor(monitor)
{}

QString CCliProgressBars::Line(const QString &player, qint64 progress, const QString &status)
{
    const qint64 filled = progress * BAR_WIDTH / CFileUpLoader::PROGRESS_COMPLETE;
    const qint64 percent = progress * PERCENT / CFileUpLoader::PROGRESS_COMPLETE;
    QString line = CCliText::Escaped(player).leftJustified(ADDRESS_WIDTH) + QLatin1String(" [") +
                   QString(filled, QLatin1Char('#')) +
                   QString(BAR_WIDTH - filled, QLatin1Char('.')) + QLatin1String("] ") +
                   QString::number(percent).rightJustified(PERCENT_WIDTH) + QLatin1Char('%');
    if (!status.isEmpty())
        line += QLatin1Char(' ') + status;
    return line;
}

QString CCliProgressBars::LineOf(const QString &player) const
{
    return Line(player, m_monitor.Progress(player), StatusOf(m_monitor.State(player)));
}

void CCliProgressBars::Update()
{
    const QStringList players = m_monitor.Players();
    bool changed = !m_bDrawnOnce;
    for (const QString &player : players)
        changed = changed || m_drawn.value(player) != LineOf(player);
    if (!changed)
        return;
    if (m_bDrawnOnce)
        m_stream << QString(CURSOR_UP).arg(players.size());
    for (const QString &player : players) {
        const QString line = LineOf(player);
        m_drawn.insert(player, line);
        m_stream << CLEAR_LINE << line << '\n';
    }
    m_stream.flush();
    m_bDrawnOnce = true;
}
