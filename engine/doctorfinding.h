#pragma once

#include <QString>

// One thing doctor looked at: whether it stands in the way, what was seen,
// and the command that would clear it.
class CDoctorFinding
{
public:
    static CDoctorFinding Ok(QString check, QString detail)
    {
        return {std::move(check), true, std::move(detail), {}};
    }
    static CDoctorFinding Problem(QString check, QString detail, QString fix)
    {
        return {std::move(check), false, std::move(detail), std::move(fix)};
    }

    QString m_strCheck;
    bool m_bOk = true;
    QString m_strDetail;
    QString m_strFix;
};
