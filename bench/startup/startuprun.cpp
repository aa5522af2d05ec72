#include "startuprun.h"

#include <chrono>
#include <utility>

#include <QDeadlineTimer>
#include <QProcess>

#include "startupprobe.h"

namespace {

const QByteArray kLinePrefix = QByteArray(CStartupProbe::LINE_PREFIX) + ' ';
// Nanoseconds per millisecond.
constexpr double kNsPerMs = 1e6;

qint64 SteadyNowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void EndProcess(QProcess &process)
{
    if (process.waitForFinished(CStartupRun::EXIT_TIMEOUT_MS))
        return;
    process.kill();
    process.waitForFinished(CStartupRun::EXIT_TIMEOUT_MS);
}

} // namespace

CStartupRun::CStartupRun(QString program, QProcessEnvironment environment)
    : m_strProgram(std::move(program)), m_environment(std::move(environment))
{}

bool CStartupRun::ParseProbeLine(const QByteArray &line, qint64 &shownNs, long &maxRssKb)
{
    if (!line.startsWith(kLinePrefix))
        return false;
    bool shownOk = false;
    bool rssOk = false;
    for (const QByteArray &field : line.trimmed().split(' ')) {
        const qsizetype equals = field.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArray name = field.left(equals);
        const QByteArray value = field.mid(equals + 1);
        if (name == CStartupProbe::SHOWN_FIELD)
            shownNs = value.toLongLong(&shownOk);
        else if (name == CStartupProbe::RSS_FIELD)
            maxRssKb = value.toLong(&rssOk);
    }
    return shownOk && rssOk;
}

SStartupSample CStartupRun::Measure() const
{
    SStartupSample sample;
    QProcess process;
    process.setProcessEnvironment(m_environment);
    process.setStandardErrorFile(QProcess::nullDevice());
    const qint64 startNs = SteadyNowNs();
    process.start(m_strProgram, {});
    const QDeadlineTimer deadline(SHOWN_TIMEOUT_MS);
    qint64 shownNs = 0;
    while (!sample.m_bOk && !deadline.hasExpired()) {
        if (!process.canReadLine() &&
            !process.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            break;
        while (process.canReadLine() && !sample.m_bOk)
            sample.m_bOk = ParseProbeLine(process.readLine(), shownNs, sample.m_nMaxRssKb);
    }
    if (sample.m_bOk)
        sample.m_dShownMs = static_cast<double>(shownNs - startNs) / kNsPerMs;
    else if (process.error() == QProcess::FailedToStart)
        sample.m_strError = QStringLiteral("could not start: %1").arg(process.errorString());
    else if (process.state() == QProcess::NotRunning)
        sample.m_strError =
            QStringLiteral("ended before its window showed (another copy running?)");
    else
        sample.m_strError = QStringLiteral("no window within %1 ms").arg(SHOWN_TIMEOUT_MS);
    EndProcess(process);
    return sample;
}
