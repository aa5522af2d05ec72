#include "startupprobe.h"

#include <chrono>
#include <cstdio>

#include <sys/resource.h>

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace {

// How often readiness is checked again once a window is exposed but its
// adapter list is still empty; short against the times measured.
constexpr int kPollMs = 1;
// Kestavon Setup's adapter list: the control's id is its object name.
const char *const kAdapterListName = "1000";

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
    QCoreApplication::exit(0);
}

void CStartupProbe::Report()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%s %s=%lld %s=%ld\n", LINE_PREFIX, SHOWN_FIELD,
                static_cast<long long>(std::chrono::nanoseconds(now).count()), RSS_FIELD,
                usage.ru_maxrss);
    std::fflush(stdout);
}

namespace {

// Runs inside the application object's constructor, in the main thread.
void InstallProbe()
{
    new CStartupProbe(QCoreApplication::instance());
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallProbe)
