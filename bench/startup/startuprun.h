#pragma once

#include <QProcessEnvironment>
#include <QString>

// One measured start of a program: how long from starting it until its window
// was shown (and, for Kestavon Setup, its adapter list filled), and its peak
// memory by then.
struct SStartupSample
{
    bool m_bOk = false;
    double m_dShownMs = 0;
    long m_nMaxRssKb = 0;
    QString m_strError;
};

// Starts a program in the given environment (its platform, the start-up
// probe preloaded), waits for the probe's line, and sees the program end.
class CStartupRun
{
public:
    // Far beyond any start-up worth measuring; a run that needs this long
    // has failed.
    static constexpr int SHOWN_TIMEOUT_MS = 30000;
    // The program ends by itself once the probe has reported.
    static constexpr int EXIT_TIMEOUT_MS = 10000;

    CStartupRun(QString program, QProcessEnvironment environment);

    SStartupSample Measure() const;

private:
    static bool ParseProbeLine(const QByteArray &line, qint64 &shownNs, long &maxRssKb);

    QString m_strProgram;
    QProcessEnvironment m_environment;
};
