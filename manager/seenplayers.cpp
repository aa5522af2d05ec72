#include "seenplayers.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const QString KEY_FORMAT = QStringLiteral("format");
const QString KEY_PLAYERS = QStringLiteral("players");
const QString KEY_UDN = QStringLiteral("udn");
const QString KEY_NAME = QStringLiteral("name");
const QString KEY_MODEL = QStringLiteral("model");
const QString KEY_IP = QStringLiteral("ip");
const QString KEY_LANMAC = QStringLiteral("lanmac");
const QString KEY_FIRMWARE = QStringLiteral("firmversion");
const QString KEY_LAST_SEEN = QStringLiteral("lastSeen");

QString Text(const QJsonObject &object, const QString &key)
{
    return object.value(key).toString().left(CSeenPlayers::MAX_TEXT);
}

void Keep(QString &known, const QString &update)
{
    if (!update.isEmpty())
        known = update.left(CSeenPlayers::MAX_TEXT);
}

} // namespace

QString CSeenPlayers::DefaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/kestavon-setup/players.json");
}

CSeenPlayers::CSeenPlayers(QString path) : m_strPath(std::move(path)) {}

CSeenPlayers::ELoad CSeenPlayers::Load()
{
    m_players.clear();
    m_strSetAside.clear();
    QFile file(m_strPath);
    if (!file.exists())
        return ELoad::Read;
    if (file.size() > MAX_FILE_BYTES || !file.open(QIODevice::ReadOnly) ||
        !Parse(file.read(MAX_FILE_BYTES + 1))) {
        file.close();
        m_players.clear();
        SetAside();
        return ELoad::SetAside;
    }
    return ELoad::Read;
}

bool CSeenPlayers::Parse(const QByteArray &bytes)
{
    if (bytes.size() > MAX_FILE_BYTES)
        return false;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    const QJsonObject root = document.object();
    if (root.value(KEY_FORMAT).toInt() != FORMAT_VERSION || !root.value(KEY_PLAYERS).isArray())
        return false;
    for (const QJsonValue &value : root.value(KEY_PLAYERS).toArray()) {
        if (!value.isObject())
            return false;
        const QJsonObject object = value.toObject();
        SPlayer player;
        player.m_strUdn = Text(object, KEY_UDN);
        if (player.m_strUdn.isEmpty())
            return false;
        player.m_strName = Text(object, KEY_NAME);
        player.m_strModel = Text(object, KEY_MODEL);
        player.m_strIp = Text(object, KEY_IP);
        player.m_strLanMac = Text(object, KEY_LANMAC);
        player.m_strFirmware = Text(object, KEY_FIRMWARE);
        player.m_lastSeen = QDateTime::fromString(Text(object, KEY_LAST_SEEN), Qt::ISODate);
        m_players.insert(player.m_strUdn, player);
    }
    DropOldest();
    return true;
}

// Kept for the user to look at, never deleted: it may hold something they
// wanted, and the next run must not trip over it again.
void CSeenPlayers::SetAside()
{
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    const QString aside = m_strPath + QStringLiteral(".corrupt-") + stamp;
    if (QFile::rename(m_strPath, aside))
        m_strSetAside = aside;
    else if (QFile::remove(m_strPath))
        m_strSetAside.clear();
}

bool CSeenPlayers::Save() const
{
    QDir().mkpath(QFileInfo(m_strPath).absolutePath());
    QJsonArray players;
    for (const SPlayer &player : Players()) {
        players.append(QJsonObject{{KEY_UDN, player.m_strUdn},
                                   {KEY_NAME, player.m_strName},
                                   {KEY_MODEL, player.m_strModel},
                                   {KEY_IP, player.m_strIp},
                                   {KEY_LANMAC, player.m_strLanMac},
                                   {KEY_FIRMWARE, player.m_strFirmware},
                                   {KEY_LAST_SEEN, player.m_lastSeen.toString(Qt::ISODate)}});
    }
    const QJsonObject root{{KEY_FORMAT, FORMAT_VERSION}, {KEY_PLAYERS, players}};
    // Written beside the file and renamed over it: a crash or a full disk
    // leaves the previous file, never half of one.
    QSaveFile file(m_strPath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(root).toJson(QJsonDocument::Compact));
    return file.commit();
}

void CSeenPlayers::Remember(const SPlayer &player)
{
    if (player.m_strUdn.isEmpty())
        return;
    const QString udn = player.m_strUdn.left(MAX_TEXT);
    SPlayer &known = m_players[udn];
    known.m_strUdn = udn;
    Keep(known.m_strName, player.m_strName);
    Keep(known.m_strModel, player.m_strModel);
    Keep(known.m_strIp, player.m_strIp);
    Keep(known.m_strLanMac, player.m_strLanMac);
    Keep(known.m_strFirmware, player.m_strFirmware);
    if (player.m_lastSeen.isValid())
        known.m_lastSeen = player.m_lastSeen;
    DropOldest();
}

void CSeenPlayers::Forget(const QString &udn)
{
    m_players.remove(udn);
}

QList<CSeenPlayers::SPlayer> CSeenPlayers::Players() const
{
    QList<SPlayer> players = m_players.values();
    std::stable_sort(players.begin(), players.end(), [](const SPlayer &a, const SPlayer &b) {
        if (a.m_lastSeen != b.m_lastSeen)
            return a.m_lastSeen < b.m_lastSeen;
        return a.m_strUdn < b.m_strUdn;
    });
    return players;
}

void CSeenPlayers::DropOldest()
{
    if (m_players.size() <= MAX_PLAYERS)
        return;
    const QList<SPlayer> players = Players();
    for (qsizetype i = 0; i < players.size() - MAX_PLAYERS; ++i)
        m_players.remove(players.at(i).m_strUdn);
}
