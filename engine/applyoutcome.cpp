#include "applyoutcome.h"

QString CApplyOutcome::StatusName(EStatus status)
{
    switch (status) {
    case EStatus::Ok:
        return QStringLiteral("ok");
    case EStatus::Unchanged:
        return QStringLiteral("unchanged");
    case EStatus::Missing:
        return QStringLiteral("missing");
    case EStatus::Failed:
        return QStringLiteral("failed");
    case EStatus::Unverified:
        return QStringLiteral("unverified");
    case EStatus::Planned:
        return QStringLiteral("planned");
    case EStatus::Ambiguous:
        return QStringLiteral("ambiguous");
    }
    return {};
}

bool CApplyOutcome::IsGood(bool dryRun) const
{
    if (dryRun)
        return m_status == EStatus::Planned || m_status == EStatus::Unchanged;
    return m_status == EStatus::Ok || m_status == EStatus::Unchanged;
}
