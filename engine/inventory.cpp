#include "inventory.h"

#include <QHash>

#include "sitediscovery.h"
#include "devicesummary.h"
#include "wirevocabulary.h"

namespace {

using namespace WireVocabulary;

const QString MODEL_CLASS = QStringLiteral("modelClass");
const QString ERROR_FIELD = QStringLiteral("error");
// Set when another address announced the same udn.
const QString DUPLICATE_UDN_FIELD = QStringLiteral("duplicateUdn");

} // namespace

const QString &CInventory::ErrorField()
{
    return ERROR_FIELD;
}

const QString &CInventory::DuplicateUdnField()
{
    return DUPLICATE_UDN_FIELD;
}

QJsonValue CInventory::Value(const CPlayerFields &row, const QString &name)
{
    for (const auto &[field, value] : row) {
        if (field == name)
            return value;
    }
    return QJsonValue::Null;
}

const QStringList &CInventory::Columns()
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

QList<CPlayerFields> CInventory::Rows(const QList<CDeviceSummary> &devices,
                                      const QList<CPlayerResult> &read)
{
    QHash<QString, CPlayerResult> byPlayer;
    for (const CPlayerResult &result : read)
        byPlayer.insert(result.m_strPlayer, result);
    const QSet<QString> twice = CSiteDiscovery::DuplicateUdns(devices);
    QList<CPlayerFields> rows;
    for (const CDeviceSummary &device : devices) {
        CPlayerFields announced{{NAME, device.name},
                                {MODEL, device.model},
                                {MODEL_CLASS, device.modelClass},
                                {IP, device.ip},
                                {UDN, device.udn}};
        const auto it = byPlayer.constFind(device.ip);
        CPlayerFields row;
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
        row.append({DUPLICATE_UDN_FIELD, twice.contains(device.udn)});
        row.append(
            {ERROR_FIELD, failed ? QJsonValue(it->m_strError) : QJsonValue(QJsonValue::Null)});
        rows.append(row);
    }
    return rows;
}

bool CInventory::AllRead(const QList<CPlayerFields> &rows)
{
    return std::all_of(rows.cbegin(), rows.cend(),
                       [](const CPlayerFields &row) { return Value(row, ERROR_FIELD).isNull(); });
}
