#include "searchstatus.h"

#include <optional>

#include "setupmanager.h"
#include "statusline.h"
#include "sweeprange.h"

void CSearchStatus::ShowStarted()
{
    if (m_strRange.isEmpty())
        m_pLine->ShowSearching(Adapter(), Subnet());
    else
        m_pLine->ShowSearchingRange(m_strRange);
}

void CSearchStatus::ShowEnded(int found)
{
    if (found > 0)
        m_pLine->ShowFound(found, m_manager.GetTurnedAwayCount());
    else if (m_strRange.isEmpty())
        m_pLine->ShowNobody(Adapter(), Subnet());
    else
        m_pLine->ShowNobodyInRange(m_strRange);
}

void CSearchStatus::ShowCount(int found, bool searching)
{
    // A search in progress says so until it ends; afterwards a latecomer's
    // announcement updates the count.
    if (!searching && found > 0)
        m_pLine->ShowFound(found, m_manager.GetTurnedAwayCount());
}

QString CSearchStatus::Adapter() const
{
    // A line of an adapter with several addresses names the address too; the
    // network says it already.
    const QString adapter =
        m_manager.GetAdapterDescription().section(QStringLiteral(" \u2014 "), 0, 0);
    return adapter.isEmpty() ? QStringLiteral("this computer") : adapter;
}

QString CSearchStatus::Subnet() const
{
    // A refresh sweeps the /24 around the local address.
    const std::optional<CSweepRange> swept =
        CSweepRange::Parse(m_manager.GetLocalIp() + QStringLiteral("/24"), nullptr);
    return swept ? swept->Text() : m_manager.GetLocalIp();
}
