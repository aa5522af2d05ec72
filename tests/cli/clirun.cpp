#include "clirun.h"

#include <QJsonDocument>
#include <QProcess>

CCliRun CCliRun::Run(const QStringList &arguments, const QByteArray &input, int timeoutMs)
{
    QProcess process;
    process.start(QStringLiteral(KESTAVON_CLI_PATH), arguments);
    CCliRun run;
    if (!process.waitForStarted(timeoutMs))
        return run;
    process.write(input);
    process.closeWriteChannel();
    run.m_bFinished = process.waitForFinished(timeoutMs);
    if (!run.m_bFinished) {
        process.kill();
        process.waitForFinished(timeoutMs);
    }
    run.m_nExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.m_strOut = QString::fromUtf8(process.readAllStandardOutput());
    run.m_strErr = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QJsonArray CCliRun::Json() const
{
    return QJsonDocument::fromJson(m_strOut.toUtf8()).array();
}

QByteArray CCliRun::Describe() const
{
    return QStringLiteral("exit %1\n--- stdout:\n%2--- stderr:\n%3")
        .arg(m_nExitCode)
        .arg(m_strOut, m_strErr)
        .toUtf8();
}
