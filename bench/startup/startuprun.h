#pragma once

#include <QDeadlineTimer>
#include <QProcess>
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
    // With navigation: from selecting the first player to its loaded web
    // page, and the peak memory by then.
    double m_dNavigatedMs = 0;
    long m_nNavigatedRssKb = 0;
    QString m_strError;
};

// Starts a program in the given environment (its platform, the start-up
// probe preloaded), waits for the probe's line, and sees the program end.
class CStartupRun
{
public:
    // Far beyond any start-up worth measuring; a run that needs this long
    // has failed. A navigation waits for the first search besides.
    static constexpr int SHOWN_TIMEOUT_MS = 30000;
    static constexpr int NAVIGATED_TIMEOUT_MS = 60000;
    // The program ends by itself once the probe has reported.
    static constexpr int EXIT_TIMEOUT_MS = 10000;

    CStartupRun(QString program, QProcessEnvironment environment);

    // Until the window shows; with navigate, until the first player's web
    // page has loaded as well.
    SStartupSample Measure(bool navigate = false) const;

private:
    static bool ParseProbeLine(const QByteArray &line, const char *field, QByteArray &value,
                               long &maxRssKb);
    static bool ReadProbeLine(QProcess &process, const QDeadlineTimer &deadline, const char *field,
                              QByteArray &value, long &maxRssKb);

    QString m_strProgram;
    QProcessEnvironment m_environment;
};
