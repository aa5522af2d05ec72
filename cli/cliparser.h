#pragma once

#include <optional>

#include <QString>
#include <QStringList>

#include "playerrequest.h"

// The outcome of reading a command line.
class CCliParseResult
{
public:
    enum class EStatus
    {
        Run,
        Help,
        Version,
        UsageError
    };

    EStatus m_status = EStatus::UsageError;
    CPlayerRequest m_request;
    QString m_strError; // for UsageError: what is wrong, in one line
};

// Reads and checks a command line. Pure: it looks at no file, no adapter and
// no network, so every refusal happens before anything is sent.
class CCliParser
{
public:
    // Players worked on at once have a thread and a connection each; beyond
    // this a batch gains little and only loads the machine.
    static constexpr int MAX_PARALLEL = 64;
    // A discovery longer than ten minutes is a mistake, not a slow network.
    static constexpr int MAX_WAIT_SECONDS = 600;
    // A day: even a very slow link has delivered any image by then.
    static constexpr int MAX_TIMEOUT_SECONDS = 86400;

    // arguments without the program name.
    static CCliParseResult Parse(const QStringList &arguments);

private:
    explicit CCliParser(const QStringList &arguments);

    CCliParseResult Run();
    bool Fail(const QString &error);
    bool Requested(QLatin1StringView longName, QLatin1StringView shortName = {}) const;
    bool ParseGlobalOptions();
    bool ParseCommandWord();
    bool ParseCommandTail();
    bool ParseSweepOption(const QString &name, const QString &token, bool &handled);
    bool ParseTailOption(const QString &name, const QString &token);
    bool ParseParallel(const QString &token);
    bool ParseTimeout(const QString &token);
    bool TakeValue(const QString &token, QString &value);
    bool CheckTargets();
    bool CheckArguments();
    bool CheckArity(int count);
    // Fails with "FIELD PROBLEM" when the name check found a problem.
    bool CheckName(const QString &field, const QString &problem);
    bool CheckIpSetup();
    bool CheckAddressArguments(qsizetype first, qsizetype end, bool allowEmpty);

    const QStringList m_arguments;
    qsizetype m_nIndex = 0;
    CPlayerRequest m_request;
    QString m_strError;
    bool m_bSweepOptions = false;
    bool m_bParallelGiven = false;
};
