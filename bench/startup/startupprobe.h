#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

// Loaded into a program with LD_PRELOAD, before the program's own code runs.
// When the program's window is on screen and painted, and its adapter list
// (control 1000), if it has one, holds an entry, the probe prints one line on
// standard output:
//   kestavon-startup-probe shown-ns=<steady clock> maxrss-kb=<peak memory>
// The steady clock is the system's monotonic clock, so the parent can compare
// it with the moment it started the program. Then it ends the program the
// ordinary way, unless NAVIGATE_VARIABLE is set: then it waits for the first
// player in the device list (control 1001), selects it as a person would,
// and once the player's web page has loaded prints
//   kestavon-startup-probe navigated-ms=<selection to loaded page> maxrss-kb=<...>
// (navigated-ms=-1 when the page failed to load) and ends the program.
class CStartupProbe : public QObject
{
    Q_OBJECT

public:
    static constexpr const char *LINE_PREFIX = "kestavon-startup-probe";
    static constexpr const char *SHOWN_FIELD = "shown-ns";
    static constexpr const char *RSS_FIELD = "maxrss-kb";
    static constexpr const char *NAVIGATED_FIELD = "navigated-ms";
    static constexpr const char *NAVIGATE_VARIABLE = "KESTAVON_PROBE_NAVIGATE";

    explicit CStartupProbe(QObject *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void OnLoadFinished(bool ok);

private:
    static bool IsReady();
    static long MaxRssKb();
    void Check();
    void Report();
    void SelectFirstPlayer();
    void WatchBrowser();
    void Finish(double navigatedMs);

    QTimer m_pollTimer;
    bool m_bReported = false;
    bool m_bSelected = false;
    QPointer<QObject> m_pBrowser;
    QElapsedTimer m_navigation;
};
