#pragma once

#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>

#include "playerresult.h"

class CDeviceSummary;

// The site list an installer keeps: one row per discovered player, what it
// announced and, for the players this tool configures, what it reported.
class CInventory
{
public:
    // The columns, in order; a row also says whether its udn is announced
    // from another address too, and names its error when it failed.
    static const QStringList &Columns();

    // One row per device, in their order; read holds the results of the
    // players that were read, by address.
    static QList<CPlayerFields> Rows(const QList<CDeviceSummary> &devices,
                                     const QList<CPlayerResult> &read);
    static bool AllRead(const QList<CPlayerFields> &rows);
    // The fields a row has after the columns: whether another address
    // announced the udn too, and the error of a read that failed (null when
    // none did).
    static const QString &DuplicateUdnField();
    static const QString &ErrorField();
    // A row's value of a field, null when it has none.
    static QJsonValue Value(const CPlayerFields &row, const QString &field);
};
