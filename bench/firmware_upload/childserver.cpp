#include "childserver.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include "benchsettings.h"

namespace {

constexpr qint64 BYTES_PER_KIB = 1024;
const QByteArray READY_LINE = QByteArrayLiteral("ready");
const QByteArray PEAK_PREFIX = QByteArrayLiteral("maxrss_kib ");

} // namespace

bool CChildServer::Start(const QStringList &arguments)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QCoreApplication::applicationFilePath(), arguments);
    const QDeadlineTimer deadline(BenchSettings::START_TIMEOUT_MS);
    while (!m_process.canReadLine() && !deadline.hasExpired()) {
        if (!m_process.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            break;
    }
    if (m_process.canReadLine() && m_process.readLine().trimmed() == READY_LINE)
        return true;
    m_process.kill();
    m_process.waitForFinished(BenchSettings::START_TIMEOUT_MS);
    return false;
}

bool CChildServer::Finish(int timeoutMs)
{
    if (!m_process.waitForFinished(timeoutMs)) {
        m_process.kill();
        m_process.waitForFinished(BenchSettings::START_TIMEOUT_MS);
        return false;
    }
    const QList<QByteArray> lines = m_process.readAllStandardOutput().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith(PEAK_PREFIX))
            m_nPeakResidentBytes = line.mid(PEAK_PREFIX.size()).toLongLong() * BYTES_PER_KIB;
    }
    return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
}
