// The main window's search for players: the sweep goes out at once and the
// answers are waited for on a timer, so the window stays usable meanwhile.
#include "halvorinsetup101dlg.h"

#include <QTimer>

#include "busyrunner.h"
#include "messagebox.h"

namespace {

// While an operation runs, the end of a search waits for it: the list is not
// refilled under a selection.
constexpr int BUSY_RETRY_MS = 50;

} // namespace

bool CHalvorinSetup101Dlg::IsSearching() const
{
    return m_pSearchTimer && m_pSearchTimer->isActive();
}

// The same waits as the manager's own refresh: polls until the first answer,
// then a little longer for those answering with it.
void CHalvorinSetup101Dlg::StartSearch(bool sayWhenNobody, const std::optional<CSweepRange> &range)
{
    if (!m_pSearchTimer) {
        m_pSearchTimer = new QTimer(this);
        m_pSearchTimer->setSingleShot(true);
        connect(m_pSearchTimer, &QTimer::timeout, this, &CHalvorinSetup101Dlg::OnSearchTick);
    }
    // A search started over another one the user asked for still answers
    // the user.
    m_bSayWhenNobody = sayWhenNobody || (IsSearching() && m_bSayWhenNobody);
    BeginOverviewSearch();
    ShowSearchStarted();
    if (!m_manager.SweepNow(range)) {
        EndSearch(false);
        return;
    }
    m_nSearchPollsLeft = CSetupManager::REFRESH_POLLS;
    m_bSearchSettling = false;
    m_pSearchTimer->start(CSetupManager::REFRESH_POLL_MS / m_nSearchSpeedup);
}

void CHalvorinSetup101Dlg::OnSearchTick()
{
    if (CBusyRunner::IsBusy()) {
        m_pSearchTimer->start(BUSY_RETRY_MS);
        return;
    }
    if (m_bSearchSettling) {
        EndSearch(true);
        return;
    }
    if (!m_manager.GetDevices().isEmpty()) {
        m_bSearchSettling = true;
        m_pSearchTimer->start(CSetupManager::REFRESH_SETTLE_MS / m_nSearchSpeedup);
        return;
    }
    if (--m_nSearchPollsLeft <= 0) {
        EndSearch(false);
        return;
    }
    m_pSearchTimer->start(CSetupManager::REFRESH_POLL_MS / m_nSearchSpeedup);
}

void CHalvorinSetup101Dlg::EndSearch(bool found)
{
    m_pSearchTimer->stop();
    FillDeviceList();
    EndOverviewSearch();
    // The line says at once that nobody answered and what to do; the box
    // follows.
    ShowSearchEnded();
    if (!found && m_bSayWhenNobody)
        CMessageBox::Show(QStringLiteral("failed device discovery"));
}
