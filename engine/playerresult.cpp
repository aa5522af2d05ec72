#include "playerresult.h"

CPlayerResult CPlayerResult::Success(const QString &player, CPlayerFields fields)
{
    CPlayerResult result;
    result.m_strPlayer = player;
    result.m_bOk = true;
    result.m_fields = std::move(fields);
    return result;
}

CPlayerResult CPlayerResult::List(const QString &player, QList<CPlayerFields> rows)
{
    CPlayerResult result = Success(player);
    result.m_bList = true;
    result.m_rows = std::move(rows);
    return result;
}

CPlayerResult CPlayerResult::Failure(const QString &player, const QString &error)
{
    CPlayerResult result;
    result.m_strPlayer = player;
    result.m_strError = error;
    return result;
}

CPlayerResult CPlayerResult::Skipped(const QString &player, CPlayerFields fields)
{
    CPlayerResult result = Success(player, std::move(fields));
    result.m_bSkipped = true;
    return result;
}
