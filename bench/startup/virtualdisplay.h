#pragma once

#include <QProcess>
#include <QString>

// A private X display (Xvfb) for as long as the object lives, reachable only
// through its local socket.
class CVirtualDisplay
{
public:
    // Seconds are plenty for Xvfb to come up or go away.
    static constexpr int START_TIMEOUT_MS = 10000;
    static constexpr int STOP_TIMEOUT_MS = 5000;

    CVirtualDisplay() = default;
    ~CVirtualDisplay();
    CVirtualDisplay(const CVirtualDisplay &) = delete;
    CVirtualDisplay &operator=(const CVirtualDisplay &) = delete;

    // Whether Xvfb is installed at all.
    static bool IsAvailable();
    bool Start(QString &error);
    // The value for DISPLAY, e.g. ":1".
    QString Name() const { return m_strName; }

private:
    QProcess m_server;
    QString m_strName;
};
