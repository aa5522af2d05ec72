#include "simconfigloader.h"

#include <QFile>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

#include "simstatejson.h"

namespace {

// A file describing a full /24 of players with state is well under this.
constexpr qint64 kMaxConfigFile = 16 * 1024 * 1024;
// 127.0.0.2 .. 127.0.0.255.
constexpr int kMaxPlayers = 254;

QList<CSimPlayerConfig> Failed(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return {};
}

} // namespace

QList<CSimPlayerConfig> CSimConfigLoader::Load(const QByteArray &json, QString *error)
{
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (document.isNull())
        return Failed(error, QStringLiteral("not JSON: %1").arg(parseError.errorString()));
    const QJsonArray entries = document.isArray()
                                   ? document.array()
                                   : document.object().value(QLatin1String("players")).toArray();
    CSimConfigLoader loader;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (!loader.ReadEntry(entries.at(i).toObject()))
            return Failed(error,
                          QStringLiteral("entry %1: %2").arg(i + 1).arg(loader.m_fields.Error()));
    }
    if (loader.m_players.isEmpty())
        return Failed(error, QStringLiteral("no players"));
    if (!loader.CheckUnique())
        return Failed(error, loader.m_fields.Error());
    return loader.m_players;
}

QList<CSimPlayerConfig> CSimConfigLoader::LoadFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failed(error, QStringLiteral("%1: %2").arg(path, file.errorString()));
    if (file.size() > kMaxConfigFile)
        return Failed(error, QStringLiteral("%1: file too large").arg(path));
    return Load(file.read(kMaxConfigFile), error);
}

bool CSimConfigLoader::ReadEntry(const QJsonObject &entry)
{
    const QJsonValue generate = entry.value(QLatin1String("generate"));
    if (generate.isUndefined())
        return ReadPlayer(entry);
    return m_fields.Keys(entry, {"generate"}, QStringLiteral("generate entry")) &&
           ReadGenerated(generate.toObject());
}

bool CSimConfigLoader::ReadPlayer(const QJsonObject &entry)
{
    QString address;
    if (!m_fields.Keys(entry, {"address", "model", "name", "udn", "state", "faults"},
                       QStringLiteral("player")) ||
        !m_fields.Text(entry, "address", address))
        return false;
    if (!CSimPlayerConfig::IsPlayerAddress(address))
        return m_fields.Fail(
            QStringLiteral("\"%1\" is not in 127.0.0.2 .. 127.0.0.255").arg(address));
    CSimPlayerConfig player = CSimPlayerConfig::ForAddress(address);
    if (!m_fields.Text(entry, "name", player.m_strName) || !ReadCommon(entry, player))
        return false;
    m_players.append(player);
    return true;
}

bool CSimConfigLoader::ReadGenerated(const QJsonObject &generate)
{
    QString from;
    QString prefix = QStringLiteral("Player ");
    int count = 0;
    if (!m_fields.Keys(generate, {"from", "count", "model", "namePrefix", "state", "faults"},
                       QStringLiteral("generate")) ||
        !m_fields.Text(generate, "from", from) || !m_fields.Int(generate, "count", count) ||
        !m_fields.Text(generate, "namePrefix", prefix))
        return false;
    const quint32 first = QHostAddress(from).toIPv4Address();
    const QString last = QHostAddress(first + qMax(count, 1) - 1).toString();
    if (count < 1 || count > kMaxPlayers || !CSimPlayerConfig::IsPlayerAddress(from) ||
        !CSimPlayerConfig::IsPlayerAddress(last))
        return m_fields.Fail(QStringLiteral("generate: \"from\" and \"count\" must stay within "
                                            "127.0.0.2 .. 127.0.0.255"));
    for (int i = 0; i < count; ++i) {
        CSimPlayerConfig player = CSimPlayerConfig::ForAddress(QHostAddress(first + i).toString());
        player.m_strName = prefix + QString::number(i + 1);
        if (!ReadCommon(generate, player))
            return false;
        m_players.append(player);
    }
    return true;
}

bool CSimConfigLoader::ReadCommon(const QJsonObject &entry, CSimPlayerConfig &player)
{
    CSimStateJson state(m_fields);
    const bool ok = m_fields.Text(entry, "model", player.m_strModel) &&
                    m_fields.Text(entry, "udn", player.m_strUdn) &&
                    state.ReadState(entry.value(QLatin1String("state")), player.m_state) &&
                    state.ReadFaults(entry.value(QLatin1String("faults")), player.m_faults);
    player.m_state.m_strDeviceName = player.m_strName;
    return ok;
}

bool CSimConfigLoader::CheckUnique()
{
    QSet<QString> seen;
    for (const CSimPlayerConfig &player : m_players) {
        if (seen.contains(player.m_strAddress))
            return m_fields.Fail(QStringLiteral("address used twice: %1").arg(player.m_strAddress));
        seen.insert(player.m_strAddress);
    }
    return true;
}
