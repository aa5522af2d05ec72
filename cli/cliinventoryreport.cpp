#include "cliinventoryreport.h"

#include <QJsonObject>

#include "csv.h"
#include "clitable.h"
#include "inventory.h"
#include "wirevocabulary.h"

namespace {

using namespace WireVocabulary;

// Text and CSV cells: Wi-Fi as on/off, nothing for a field not read.
QString CellText(const QString &column, const QJsonValue &value)
{
    if (value.isNull())
        return {};
    if (column == WIFIONOFF)
        return value.toBool() ? QStringLiteral("on") : QStringLiteral("off");
    if (column == CInventory::DuplicateUdnField())
        return value.toBool() ? QStringLiteral("yes") : QString();
    if (value.isDouble())
        return QString::number(value.toInteger());
    return value.toString();
}

} // namespace

QJsonArray CCliInventoryReport::Json(const QList<CPlayerFields> &rows)
{
    QJsonArray array;
    for (const CPlayerFields &row : rows) {
        QJsonObject object;
        for (const auto &[name, value] : row)
            object.insert(name, value);
        array.append(object);
    }
    return array;
}

QStringList CCliInventoryReport::Cells(const CPlayerFields &row, bool withDuplicate, bool withError)
{
    QStringList cells;
    for (const QString &column : CInventory::Columns())
        cells.append(CellText(column, CInventory::Value(row, column)));
    if (withDuplicate)
        cells.append(CellText(CInventory::DuplicateUdnField(),
                              CInventory::Value(row, CInventory::DuplicateUdnField())));
    if (withError)
        cells.append(
            CellText(CInventory::ErrorField(), CInventory::Value(row, CInventory::ErrorField())));
    return cells;
}

QString CCliInventoryReport::Text(const QList<CPlayerFields> &rows)
{
    // The mark and error columns only when there is something in them.
    const bool withDuplicate =
        std::any_of(rows.cbegin(), rows.cend(), [](const CPlayerFields &row) {
            return CInventory::Value(row, CInventory::DuplicateUdnField()).toBool();
        });
    const bool withError = !CInventory::AllRead(rows);
    QStringList header;
    for (const QString &column : CInventory::Columns())
        header.append(column.toUpper());
    if (withDuplicate)
        header.append(QStringLiteral("DUPLICATE UDN"));
    if (withError)
        header.append(CInventory::ErrorField().toUpper());
    CCliTable table(header);
    for (const CPlayerFields &row : rows)
        table.AddRow(Cells(row, withDuplicate, withError));
    return table.Text();
}

QString CCliInventoryReport::Csv(const QList<CPlayerFields> &rows)
{
    QString text = CCsv::Record(CInventory::Columns() + QStringList{CInventory::DuplicateUdnField(),
                                                                    CInventory::ErrorField()});
    for (const CPlayerFields &row : rows)
        text += CCsv::Record(Cells(row, true, true));
    return text;
}
