#pragma once

#include <QJsonArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "cliplayerresult.h"

class CDeviceSummary;

// The site list an installer keeps: one row per discovered player, what it
// announced and, for the players this tool configures, what it reported.
class CCliInventory
{
public:
    // The columns, in order; a row also says whether its udn is announced
    // from another address too, and names its error when it failed.
    static const QStringList &Columns();

    // One row per device, in their order; read holds the results of the
    // players that were read, by address.
    static QList<CCliFields> Rows(const QList<CDeviceSummary> &devices,
                                  const QList<CCliPlayerResult> &read);
    static bool AllRead(const QList<CCliFields> &rows);

    static QJsonArray Json(const QList<CCliFields> &rows);
    static QString Text(const QList<CCliFields> &rows);
    static QString Csv(const QList<CCliFields> &rows);

private:
    static QStringList Cells(const CCliFields &row, bool withDuplicate, bool withError);
};
