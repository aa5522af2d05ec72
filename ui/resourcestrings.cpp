#include "resourcestrings.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// The table is a few lines; a larger file is not ours.
constexpr qint64 MAX_TABLE_BYTES = 64 * 1024;

QJsonObject ReadTable()
{
    QFile file(QStringLiteral(":/strings.json"));
    if (!file.open(QIODevice::ReadOnly) || file.size() > MAX_TABLE_BYTES)
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

} // namespace

QString CResourceStrings::Load(int id)
{
    static const QJsonObject table = ReadTable();
    return table.value(QString::number(id)).toString();
}
