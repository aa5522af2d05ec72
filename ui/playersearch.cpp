#include "playersearch.h"

#include <algorithm>

#include <QTimer>

#include "busyrunner.h"
#include "setupmanager.h"

CPlayerSearch::CPlayerSearch(CSetupManager &manager, QObject *parent)
    : QObject(parent), m_manager(manager), m_pTimer(new QTimer(this))
{
    m_pTimer->setSingleShot(true);
    connect(m_pTimer, &QTimer::timeout, this, &CPlayerSearch::OnTick);
}

bool CPlayerSearch::IsSearching() const
{
    return m_pTimer->isActive();
}

void CPlayerSearch::SetSpeedup(int factor)
{
    m_nSpeedup = std::max(1, factor);
}

void CPlayerSearch::Start(const std::optional<CSweepRange> &range)
{
    if (!m_manager.SweepNow(range)) {
        End(false);
        return;
    }
    m_nPollsLeft = CSetupManager::REFRESH_POLLS;
    m_bSettling = false;
    m_pTimer->start(CSetupManager::REFRESH_POLL_MS / m_nSpeedup);
}

void CPlayerSearch::OnTick()
{
    if (CBusyRunner::IsBusy()) {
        m_pTimer->start(BUSY_RETRY_MS);
        return;
    }
    if (m_bSettling) {
        End(true);
        return;
    }
    if (!m_manager.GetDevices().isEmpty()) {
        m_bSettling = true;
        m_pTimer->start(CSetupManager::REFRESH_SETTLE_MS / m_nSpeedup);
        return;
    }
    if (--m_nPollsLeft <= 0) {
        End(false);
        return;
    }
    m_pTimer->start(CSetupManager::REFRESH_POLL_MS / m_nSpeedup);
}

void CPlayerSearch::End(bool found)
{
    m_pTimer->stop();
    emit Ended(found);
}
