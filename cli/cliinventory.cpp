#include "cliinventory.h"

#include <QHash>
#include <QJsonObject>

#include "clicsv.h"
#include "clidiscovery.h"
#include "clitable.h"
#include "devicesummary.h"
#include "wirevocabulary.h"

namespace {

using namespace WireVocabulary;

const QString MODEL_CLASS = QStringLiteral("modelClass");
const QString ERROR = QStringLiteral("error");
// Set when another address announced the same udn.
const QString DUPLICATE_UDN = QStringLiteral("duplicateUdn");

QJsonValue Value(const CCliFields &row, const QString &name)
{
    for (const auto &[field, value] : row) {
        if (field == name)
            return value;
    }
    return QJsonValue::Null;
}

// Text and CSV cells: Wi-Fi as on/off, nothing for a field not read.
QString CellText(const QString &column, const QJsonValue &value)
{
    if (value.isNull())
        return {};
    if (column == WIFIONOFF)
        return value.toBool() ? QStringLiteral("on") : QStringLiteral("off");
    if (column == DUPLICATE_UDN)
        return value.toBool() ? QStringLiteral("yes") : QString();
    if (value.isDouble())
        return QString::number(value.toInteger());
    return value.toString();
}

} // namespace

const QStringList &CCliInventory::Columns()
{
    static const QStringList columns = {NAME,
                                        MODEL,
                                        MODEL_CLASS,
                                        IP,
                                        UDN,
                                        FIRMVERSION,
                                        SERIALNUMBER,
                                        LANMAC,
                                        WIFIMAC,
                                        LANIP,
                                        WIFIIP,
                                        WIFIONOFF,
                                        QStringLiteral("lanmode"),
                                        QStringLiteral("wlanmode")};
    return columns;
}

QList<CCliFields> CCliInventory::Rows(const QList<CDeviceSummary> &devices,
                                      const QList<CCliPlayerResult> &read)
{
    QHash<QString, CCliPlayerResult> byPlayer;
    for (const CCliPlayerResult &result : read)
        byPlayer.insert(result.m_strPlayer, result);
    const QSet<QString> twice = CCliDiscovery::DuplicateUdns(devices);
    QList<CCliFields> rows;
    for (const CDeviceSummary &device : devices) {
        CCliFields announced{{NAME, device.name},
                             {MODEL, device.model},
                             {MODEL_CLASS, device.modelClass},
                             {IP, device.ip},
                             {UDN, device.udn}};
        const auto it = byPlayer.constFind(device.ip);
        CCliFields row;
        for (const QString &column : Columns()) {
            // What the player reported wins over what it announced (a name
            // changed since); a player not read keeps its announcement.
            QJsonValue value = Value(announced, column);
            if (it != byPlayer.cend() && it->m_bOk) {
                const QJsonValue reported = Value(it->m_fields, column);
                if (!reported.isNull())
                    value = reported;
            }
            row.append({column, value});
        }
        const bool failed = it != byPlayer.cend() && !it->m_bOk;
        row.append({DUPLICATE_UDN, twice.contains(device.udn)});
        row.append({ERROR, failed ? QJsonValue(it->m_strError) : QJsonValue(QJsonValue::Null)});
        rows.append(row);
    }
    return rows;
}

bool CCliInventory::AllRead(const QList<CCliFields> &rows)
{
    return std::all_of(rows.cbegin(), rows.cend(),
                       [](const CCliFields &row) { return Value(row, ERROR).isNull(); });
}

QJsonArray CCliInventory::Json(const QList<CCliFields> &rows)
{
    QJsonArray array;
    for (const CCliFields &row : rows) {
        QJsonObject object;
        for (const auto &[name, value] : row)
            object.insert(name, value);
        array.append(object);
    }
    return array;
}

QStringList CCliInventory::Cells(const CCliFields &row, bool withDuplicate, bool withError)
{
    QStringList cells;
    for (const QString &column : Columns())
        cells.append(CellText(column, Value(row, column)));
    if (withDuplicate)
        cells.append(CellText(DUPLICATE_UDN, Value(row, DUPLICATE_UDN)));
    if (withError)
        cells.append(CellText(ERROR, Value(row, ERROR)));
    return cells;
}

QString CCliInventory::Text(const QList<CCliFields> &rows)
{
    // The mark and error columns only when there is something in them.
    const bool withDuplicate = std::any_of(rows.cbegin(), rows.cend(), [](const CCliFields &row) {
        return Value(row, DUPLICATE_UDN).toBool();
    });
    const bool withError = !AllRead(rows);
    QStringList header;
    for (const QString &column : Columns())
        header.append(column.toUpper());
    if (withDuplicate)
        header.append(QStringLiteral("DUPLICATE UDN"));
    if (withError)
        header.append(ERROR.toUpper());
    CCliTable table(header);
    for (const CCliFields &row : rows)
        table.AddRow(Cells(row, withDuplicate, withError));
    return table.Text();
}

QString CCliInventory::Csv(const QList<CCliFields> &rows)
{
    QString text = CCliCsv::Record(Columns() + QStringList{DUPLICATE_UDN, ERROR});
    for (const CCliFields &row : rows)
        text += CCliCsv::Record(Cells(row, true, true));
    return text;
}
