#include "virtualdisplay.h"

#include <QDeadlineTimer>
#include <QStandardPaths>

namespace {

const QString kServer = QStringLiteral("Xvfb");
// Big enough for Kestavon Setup's main window.
const QString kScreen = QStringLiteral("1280x800x24");
// Xvfb picks a free display number and writes it to this descriptor: its
// standard output, which we read.
const QString kDisplayFd = QStringLiteral("1");

} // namespace

CVirtualDisplay::~CVirtualDisplay()
{
    if (m_server.state() == QProcess::NotRunning)
        return;
    m_server.terminate();
    if (!m_server.waitForFinished(STOP_TIMEOUT_MS)) {
        m_server.kill();
        m_server.waitForFinished(STOP_TIMEOUT_MS);
    }
}

bool CVirtualDisplay::IsAvailable()
{
    return !QStandardPaths::findExecutable(kServer).isEmpty();
}

bool CVirtualDisplay::Start(QString &error)
{
    m_server.setStandardErrorFile(QProcess::nullDevice());
    m_server.start(kServer, {QStringLiteral("-displayfd"), kDisplayFd, QStringLiteral("-screen"),
                             QStringLiteral("0"), kScreen, QStringLiteral("-nolisten"),
                             QStringLiteral("tcp")});
    const QDeadlineTimer deadline(START_TIMEOUT_MS);
    while (!m_server.canReadLine() && !deadline.hasExpired()) {
        if (!m_server.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            break;
    }
    bool ok = false;
    const int number = m_server.readLine().trimmed().toInt(&ok);
    if (!ok) {
        error = QStringLiteral("Xvfb did not start: %1").arg(m_server.errorString());
        return false;
    }
    m_strName = QStringLiteral(":%1").arg(number);
    return true;
}
