#include "clioutput.h"

#include <QJsonDocument>
#include <QJsonObject>

#include "adapterinfo.h"
#include "sitediscovery.h"
#include "playerrequest.h"
#include "clitable.h"
#include "clitext.h"
#include "devicesummary.h"
#include "wirevocabulary.h"

namespace {

const QLatin1String INDENT("  ");

QJsonObject ToObject(const CPlayerFields &fields)
{
    QJsonObject object;
    for (const auto &[name, value] : fields)
        object.insert(name, value);
    return object;
}

QString SkippedText(const CPlayerResult &result)
{
    QString model;
    QString modelClass;
    for (const auto &[name, value] : result.m_fields) {
        if (name == WireVocabulary::MODEL)
            model = value.toString();
        else if (name == QLatin1String("modelClass"))
            modelClass = QString::number(value.toInt());
    }
    return QStringLiteral("%1: skipped (%2, model class %3)\n")
        .arg(CCliText::Escaped(result.m_strPlayer), CCliText::Cell(model), modelClass);
}

} // namespace

QByteArray CCliOutput::Document(const QJsonArray &array)
{
    const QByteArray json = QJsonDocument(array).toJson(QJsonDocument::Indented);
    return CCliText::JsonEscaped(QString::fromUtf8(json)).toUtf8();
}

QJsonArray CCliOutput::AdaptersJson(const std::vector<CAdapterInfo> &adapters)
{
    QJsonArray array;
    for (const CAdapterInfo &adapter : adapters) {
        array.append(QJsonObject{{QStringLiteral("description"), adapter.Description()},
                                 {QStringLiteral("name"), adapter.AdapterName()},
                                 {QStringLiteral("mac"), adapter.MacAddress()},
                                 {QStringLiteral("ip"), adapter.IpAddress()},
                                 {QStringLiteral("mask"), adapter.IpMask()}});
    }
    return array;
}

QString CCliOutput::AdaptersText(const std::vector<CAdapterInfo> &adapters)
{
    CCliTable table({QStringLiteral("DESCRIPTION"), QStringLiteral("NAME"), QStringLiteral("MAC"),
                     QStringLiteral("IP"), QStringLiteral("MASK")});
    for (const CAdapterInfo &adapter : adapters) {
        table.AddRow({adapter.Description(), adapter.AdapterName(), adapter.MacAddress(),
                      adapter.IpAddress(), adapter.IpMask()});
    }
    return table.Text();
}

QJsonArray CCliOutput::DevicesJson(const QList<CDeviceSummary> &devices)
{
    const QSet<QString> twice = CSiteDiscovery::DuplicateUdns(devices);
    QJsonArray array;
    for (const CDeviceSummary &device : devices) {
        array.append(QJsonObject{{WireVocabulary::NAME, device.name},
                                 {WireVocabulary::MODEL, device.model},
                                 {WireVocabulary::IP, device.ip},
                                 {WireVocabulary::UDN, device.udn},
                                 {QStringLiteral("modelClass"), device.modelClass},
                                 {QStringLiteral("duplicateUdn"), twice.contains(device.udn)}});
    }
    return array;
}

QString CCliOutput::DevicesText(const QList<CDeviceSummary> &devices)
{
    const QSet<QString> twice = CSiteDiscovery::DuplicateUdns(devices);
    QStringList header = {QStringLiteral("NAME"), QStringLiteral("MODEL"), QStringLiteral("IP"),
                          QStringLiteral("UDN"), QStringLiteral("CLASS")};
    // The mark only when there is something to mark.
    if (!twice.isEmpty())
        header.append(QStringLiteral("DUPLICATE UDN"));
    CCliTable table(header);
    for (const CDeviceSummary &device : devices) {
        QStringList row = {device.name, device.model, device.ip, device.udn,
                           QString::number(device.modelClass)};
        if (!twice.isEmpty())
            row.append(twice.contains(device.udn) ? QStringLiteral("yes") : QString());
        table.AddRow(row);
    }
    return table.Text();
}

QJsonArray CCliOutput::ResultsJson(const QList<CPlayerResult> &results)
{
    QJsonArray array;
    for (const CPlayerResult &result : results) {
        array.append(
            QJsonObject{{QStringLiteral("player"), result.m_strPlayer},
                        {QStringLiteral("ok"), result.m_bOk},
                        {QStringLiteral("skipped"), result.m_bSkipped},
                        {QStringLiteral("result"), ResultJson(result)},
                        {QStringLiteral("error"), result.m_bOk ? QJsonValue(QJsonValue::Null)
                                                               : QJsonValue(result.m_strError)}});
    }
    return array;
}

QJsonValue CCliOutput::ResultJson(const CPlayerResult &result)
{
    if (!result.m_bOk)
        return QJsonValue::Null;
    if (result.m_bList) {
        QJsonArray rows;
        for (const CPlayerFields &row : result.m_rows)
            rows.append(ToObject(row));
        return rows;
    }
    if (result.m_fields.isEmpty())
        return QJsonValue::Null;
    return ToObject(result.m_fields);
}

QString CCliOutput::ResultsText(const CPlayerRequest &request, const QList<CPlayerResult> &results)
{
    QString text;
    for (const CPlayerResult &result : results) {
        if (result.m_bOk)
            text += ResultText(request, result);
    }
    return text;
}

QString CCliOutput::ResultText(const CPlayerRequest &request, const CPlayerResult &result)
{
    if (result.m_bSkipped)
        return SkippedText(result);
    const QString player = CCliText::Escaped(result.m_strPlayer) + QLatin1Char(':');
    if (!request.m_strExpectVersion.isEmpty())
        return QStringLiteral("%1 updated to %2\n")
            .arg(player, CCliText::Escaped(request.m_strExpectVersion));
    if (!request.IsQuery())
        return player + QLatin1String(" ok\n");
    if (result.m_bList)
        return player + QLatin1Char('\n') + RowsText(result.m_rows);
    return player + QLatin1Char('\n') + FieldsText(result.m_fields);
}

QString CCliOutput::FieldsText(const CPlayerFields &fields)
{
    qsizetype width = 0;
    for (const auto &[name, value] : fields)
        width = std::max(width, name.size());
    QString text;
    for (const auto &[name, value] : fields)
        text += INDENT + name.leftJustified(width) + INDENT + CCliText::Cell(ValueText(value)) +
                QLatin1Char('\n');
    return text;
}

QString CCliOutput::RowsText(const QList<CPlayerFields> &rows)
{
    if (rows.isEmpty())
        return INDENT + QLatin1String("(none)\n");
    QStringList header;
    for (const auto &[name, value] : rows.first())
        header.append(name);
    CCliTable table(header, INDENT);
    for (const CPlayerFields &row : rows) {
        QStringList cells;
        for (const auto &[name, value] : row)
            cells.append(ValueText(value));
        table.AddRow(cells);
    }
    return table.Text();
}

QString CCliOutput::ValueText(const QJsonValue &value)
{
    if (value.isBool())
        return value.toBool() ? QStringLiteral("yes") : QStringLiteral("no");
    if (value.isDouble())
        return QString::number(value.toInteger());
    return value.toString();
}

QString CCliOutput::FailuresText(const QList<CPlayerResult> &results)
{
    QString text;
    for (const CPlayerResult &result : results) {
        if (!result.m_bOk)
            text += CCliText::Escaped(result.m_strPlayer) + QLatin1String(": ") +
                    CCliText::Escaped(result.m_strError) + QLatin1Char('\n');
    }
    return text;
}
