// CReadFailure: one read of the selected player that failed, and why.
#pragma once

#include <QString>

// A read made when a player was selected that brought back nothing: the
// fields it fills stay empty, and the page says which read it was and why.
struct CReadFailure
{
    qint32 nCmdId = 0; // the command of the catalogue that failed
    QString strText;   // its error text; empty when the failure had none

    friend bool operator==(const CReadFailure &, const CReadFailure &) = default;
};
