#pragma once

#include <QJsonArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "playerresult.h"

// The inventory's rows for a script (JSON), a person (a table) and a
// spreadsheet (CSV).
class CCliInventoryReport
{
public:
    static QJsonArray Json(const QList<CPlayerFields> &rows);
    static QString Text(const QList<CPlayerFields> &rows);
    static QString Csv(const QList<CPlayerFields> &rows);

private:
    static QStringList Cells(const CPlayerFields &row, bool withDuplicate, bool withError);
};
