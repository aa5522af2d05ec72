#pragma once

#include <QObject>
#include <QTimer>

// Loaded into a program with LD_PRELOAD, before the program's own code runs.
// When the program's window is on screen and painted, and its adapter list
// (control 1000), if it has one, holds an entry, the probe prints one line on
// standard output, then ends the program the ordinary way:
//   kestavon-startup-probe shown-ns=<steady clock> maxrss-kb=<peak memory>
// The steady clock is the system's monotonic clock, so the parent can compare
// it with the moment it started the program.
class CStartupProbe : public QObject
{
public:
    static constexpr const char *LINE_PREFIX = "kestavon-startup-probe";
    static constexpr const char *SHOWN_FIELD = "shown-ns";
    static constexpr const char *RSS_FIELD = "maxrss-kb";

    explicit CStartupProbe(QObject *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static bool IsReady();
    void Check();
    void Report();

    QTimer m_pollTimer;
    bool m_bReported = false;
};
