#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QString>
#include <QStringList>

// One run of the kestavon-cli executable, with what it printed and its exit
// status. Standard error is never a terminal here, so no progress bars.
class CCliRun
{
public:
    // Longer than any run the tests make, short of the ctest time-out.
    static constexpr int DEFAULT_TIMEOUT_MS = 60000;

    static CCliRun Run(const QStringList &arguments, const QByteArray &input = {},
                       int timeoutMs = DEFAULT_TIMEOUT_MS);

    // Standard output as a JSON array; empty when it is not one.
    QJsonArray Json() const;
    // For failure messages: everything the run printed.
    QByteArray Describe() const;

    bool m_bFinished = false;
    int m_nExitCode = -1;
    QString m_strOut;
    QString m_strErr;
};
