#pragma once

#include <QJsonArray>
#include <QList>
#include <QString>

#include "applyoutcome.h"

// What apply did, for a script (JSON) and for a person (one line per entry,
// one more per change).
class CCliApplyReport
{
public:
    static QJsonArray Json(const QList<CApplyOutcome> &outcomes);
    static QString Text(const QList<CApplyOutcome> &outcomes, bool dryRun);
};
