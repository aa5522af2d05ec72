// CSeenPlayers: the players seen on earlier runs, kept in a small file.
#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

// What the tool remembers of every player it has seen, by udn, so a player
// that does not answer this time can still be shown, with when it was last
// seen. Only what a player announced or reported openly is kept: never a
// password. The file lives in the user's data folder (QStandardPaths, so
// tests can point it elsewhere) and is written whole or not at all.
class CSeenPlayers
{
public:
    // Enough for the largest site the discovery can list many times over;
    // past it the players seen longest ago go.
    static constexpr qsizetype MAX_PLAYERS = 4096;
    // A file this large was not written by this class: it is refused rather
    // than read into memory.
    static constexpr qint64 MAX_FILE_BYTES = 4 * 1024 * 1024;
    // Longer texts in the file are cut, so a crafted file cannot bloat memory.
    static constexpr qsizetype MAX_TEXT = 256;
    // The format this class writes; any other is foreign.
    static constexpr int FORMAT_VERSION = 1;

    struct SPlayer
    {
        QString m_strUdn;
        QString m_strName;
        QString m_strModel;
        QString m_strIp;
        QString m_strLanMac;
        QString m_strFirmware;
        QDateTime m_lastSeen;
    };

    enum class ELoad
    {
        Read,    // the file was read (or there was none yet)
        SetAside // the file could not be used and was renamed aside
    };

    // <data folder>/kestavon-setup/players.json
    static QString DefaultPath();

    explicit CSeenPlayers(QString path = DefaultPath());

    // Reads the file. A corrupt or foreign one is renamed to
    // <name>.corrupt-<time> and nothing is remembered; SetAsidePath() names
    // where it went.
    ELoad Load();
    // Writes every player; false when the file could not be written.
    bool Save() const;

    // Adds the player or updates what is known of it; empty fields keep
    // what was known before. A player without udn is not remembered.
    void Remember(const SPlayer &player);
    void Forget(const QString &udn);
    bool Contains(const QString &udn) const { return m_players.contains(udn); }
    SPlayer Player(const QString &udn) const { return m_players.value(udn); }
    // Oldest seen first.
    QList<SPlayer> Players() const;
    qsizetype Count() const { return m_players.size(); }
    QString Path() const { return m_strPath; }
    QString SetAsidePath() const { return m_strSetAside; }

private:
    bool Parse(const QByteArray &bytes);
    void SetAside();
    void DropOldest();

    QString m_strPath;
    QString m_strSetAside;
    QHash<QString, SPlayer> m_players;
};
