#include "startuprun.h"

#include <chrono>
#include <utility>

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

QString Failure(const QProcess &process, const char *what, int timeoutMs)
{
    if (process.error() == QProcess::FailedToStart)
        return QStringLiteral("could not start: %1").arg(process.errorString());
    if (process.state() == QProcess::NotRunning)
        return QStringLiteral("ended before %1 (another copy running?)").arg(QLatin1String(what));
    return QStringLiteral("not %1 within %2 ms").arg(QLatin1String(what)).arg(timeoutMs);
}

} // namespace

CStartupRun::CStartupRun(QString program, QProcessEnvironment environment)
    : m_strProgram(std::move(program)), m_environment(std::move(environment))
{}

bool CStartupRun::ParseProbeLine(const QByteArray &line, const char *field, QByteArray &value,
                                 long &maxRssKb)
{
    if (!line.startsWith(kLinePrefix))
        return false;
    bool found = false;
    bool rssOk = false;
    for (const QByteArray &pair : line.trimmed().split(' ')) {
        const qsizetype equals = pair.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArray name = pair.left(equals);
        if (name == field) {
            value = pair.mid(equals + 1);
            found = true;
        } else if (name == CStartupProbe::RSS_FIELD) {
            maxRssKb = pair.mid(equals + 1).toLong(&rssOk);
        }
    }
    return found && rssOk;
}

bool CStartupRun::ReadProbeLine(QProcess &process, const QDeadlineTimer &deadline,
                                const char *field, QByteArray &value, long &maxRssKb)
{
    while (!deadline.hasExpired()) {
        if (!process.canReadLine() &&
            !process.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            return false;
        while (process.canReadLine()) {
            if (ParseProbeLine(process.readLine(), field, value, maxRssKb))
                return true;
        }
    }
    return false;
}

SStartupSample CStartupRun::Measure(bool navigate) const
{
    SStartupSample sample;
    QProcess process;
    QProcessEnvironment environment = m_environment;
    if (navigate)
        environment.insert(QString::fromLatin1(CStartupProbe::NAVIGATE_VARIABLE),
                           QStringLiteral("1"));
    process.setProcessEnvironment(environment);
    process.setStandardErrorFile(QProcess::nullDevice());
    const qint64 startNs = SteadyNowNs();
    process.start(m_strProgram, {});
    QByteArray value;
    if (!ReadProbeLine(process, QDeadlineTimer(SHOWN_TIMEOUT_MS), CStartupProbe::SHOWN_FIELD, value,
                       sample.m_nMaxRssKb)) {
        sample.m_strError = Failure(process, "shown", SHOWN_TIMEOUT_MS);
        EndProcess(process);
        return sample;
    }
    sample.m_dShownMs = static_cast<double>(value.toLongLong() - startNs) / kNsPerMs;
    if (navigate) {
        if (!ReadProbeLine(process, QDeadlineTimer(NAVIGATED_TIMEOUT_MS),
                           CStartupProbe::NAVIGATED_FIELD, value, sample.m_nNavigatedRssKb)) {
            sample.m_strError = Failure(process, "navigated", NAVIGATED_TIMEOUT_MS);
            EndProcess(process);
            return sample;
        }
        sample.m_dNavigatedMs = value.toDouble();
        if (sample.m_dNavigatedMs < 0) {
            sample.m_strError = QStringLiteral("the player's page did not load");
            EndProcess(process);
            return sample;
        }
    }
    sample.m_bOk = true;
    EndProcess(process);
    return sample;
}
