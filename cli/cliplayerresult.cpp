#include "cliplayerresult.h"

CCliPlayerResult CCliPlayerResult::Success(const QString &player, CCliFields fields)
{
    CCliPlayerResult result;
    result.m_strPlayer = player;
    result.m_bOk = true;
    result.m_fields = std::move(fields);
    return result;
}

CCliPlayerResult CCliPlayerResult::List(const QString &player, QList<CCliFields> rows)
{
    CCliPlayerResult result = Success(player);
    result.m_bList = true;
    result.m_rows = std::move(rows);
    return result;
}

CCliPlayerResult CCliPlayerResult::Failure(const QString &player, const QString &error)
{
    CCliPlayerResult result;
    result.m_strPlayer = player;
    result.m_strError = error;
    return result;
}

CCliPlayerResult CCliPlayerResult::Skipped(const QString &player, CCliFields fields)
{
    CCliPlayerResult result = Success(player, std::move(fields));
    result.m_bSkipped = true;
    return result;
}
