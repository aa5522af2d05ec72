#include "applychange.h"

QString CApplyChange::StateName(EState state)
{
    switch (state) {
    case EState::Planned:
        return QStringLiteral("planned");
    case EState::Applied:
        return QStringLiteral("applied");
    case EState::NotSent:
        return QStringLiteral("not sent");
    case EState::Unknown:
        return QStringLiteral("unknown");
    case EState::NotApplied:
        return QStringLiteral("not applied");
    case EState::PendingReboot:
        return QStringLiteral("pending reboot");
    }
    return {};
}
