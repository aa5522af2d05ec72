#include "startupprobe.h"

#include <chrono>
#include <cstdio>

#include <sys/resource.h>

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QListWidget>
#include <QWidget>
#include <QWindow>

namespace {

// How often readiness is checked again once a window is exposed but its
// adapter list is still empty; short against the times measured.
constexpr int kPollMs = 1;
// Kestavon Setup's adapter and device lists: a control's id is its object
// name.
const char *const kAdapterListName = "1000";
const char *const kDeviceListName = "1001";
// The class of the engine's view, found by name: the probe does not link it.
const char *const kBrowserClass = "QWebEngineView";
constexpr double kNsPerMs = 1e6;

} // namespace

CStartupProbe::CStartupProbe(QObject *parent) : QObject(parent)
{
    m_pollTimer.setInterval(kPollMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &CStartupProbe::Check);
    QCoreApplication::instance()->installEventFilter(this);
}

bool CStartupProbe::eventFilter(QObject *watched, QEvent *event)
{
    // Checked once the expose has been handled, that is once the window has
    // painted itself.
    if (!m_bReported && event->type() == QEvent::Expose && watched->isWindowType())
        QTimer::singleShot(0, this, &CStartupProbe::Check);
    return false;
}

bool CStartupProbe::IsReady()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        const QWindow *window = widget->windowHandle();
        if (!widget->isVisible() || !window || !window->isExposed())
            continue;
        const auto *adapters =
            widget->findChild<QComboBox *>(QString::fromLatin1(kAdapterListName));
        if (!adapters || adapters->count() > 0)
            return true;
    }
    return false;
}

void CStartupProbe::Check()
{
    if (m_bReported)
        return;
    if (!IsReady()) {
        m_pollTimer.start();
        return;
    }
    m_pollTimer.stop();
    m_bReported = true;
    Report();
    if (!qEnvironmentVariableIsSet(NAVIGATE_VARIABLE)) {
        QCoreApplication::exit(0);
        return;
    }
    disconnect(&m_pollTimer, &QTimer::timeout, this, &CStartupProbe::Check);
    connect(&m_pollTimer, &QTimer::timeout, this, &CStartupProbe::SelectFirstPlayer);
    m_pollTimer.start();
}

long CStartupProbe::MaxRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void CStartupProbe::Report()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    std::printf("%s %s=%lld %s=%ld\n", LINE_PREFIX, SHOWN_FIELD,
                static_cast<long long>(std::chrono::nanoseconds(now).count()), RSS_FIELD,
                MaxRssKb());
    std::fflush(stdout);
}

// Waits for the first search to list a player, then picks it.
void CStartupProbe::SelectFirstPlayer()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *devices = widget->findChild<QListWidget *>(QString::fromLatin1(kDeviceListName));
        if (!devices || devices->count() == 0)
            continue;
        disconnect(&m_pollTimer, &QTimer::timeout, this, &CStartupProbe::SelectFirstPlayer);
        connect(&m_pollTimer, &QTimer::timeout, this, &CStartupProbe::WatchBrowser);
        m_navigation.start();
        devices->setCurrentRow(0);
        return;
    }
}

// The browser is made on the first navigation; once it exists, its page's
// end of loading is what is waited for.
void CStartupProbe::WatchBrowser()
{
    for (QWidget *widget : QApplication::allWidgets()) {
        if (!widget->inherits(kBrowserClass))
            continue;
        m_pollTimer.stop();
        m_pBrowser = widget;
        connect(widget, SIGNAL(loadFinished(bool)), this, SLOT(OnLoadFinished(bool)));
        return;
    }
}

void CStartupProbe::OnLoadFinished(bool ok)
{
    Finish(ok ? static_cast<double>(m_navigation.nsecsElapsed()) / kNsPerMs : -1);
}

void CStartupProbe::Finish(double navigatedMs)
{
    std::printf("%s %s=%.3f %s=%ld\n", LINE_PREFIX, NAVIGATED_FIELD, navigatedMs, RSS_FIELD,
                MaxRssKb());
    std::fflush(stdout);
    QCoreApplication::exit(0);
}

namespace {

// Runs inside the application object's constructor, in the main thread.
void InstallProbe()
{
    // Only this process is watched. The browser engine's helper processes,
    // started later, inherit the environment and must not load the probe: in
    // a race-checker build they cannot run with the checker's runtime it
    // brings.
    qunsetenv("LD_PRELOAD");
    new CStartupProbe(QCoreApplication::instance());
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallProbe)
