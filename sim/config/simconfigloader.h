#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

#include "simjsonfields.h"
#include "simplayerconfig.h"

// Reads a JSON player file. The document is a list (or {"players": list})
// whose entries are either one player
//   {"address": "127.0.0.2", "model": "KS-210", "name": "Living Room",
//    "udn": "uuid:kestavon-0002", "state": {...}, "faults": [...]}
// or a run of similar players
//   {"generate": {"from": "127.0.0.2", "count": 254, "model": "KS-210",
//                 "namePrefix": "Player ", "state": {...}, "faults": [...]}}
// Only "address" (or "from" and "count") is required; everything else has a
// default from CSimPlayerConfig::ForAddress().
class CSimConfigLoader
{
public:
    static QList<CSimPlayerConfig> Load(const QByteArray &json, QString *error);
    static QList<CSimPlayerConfig> LoadFile(const QString &path, QString *error);

private:
    bool ReadEntry(const QJsonObject &entry);
    bool ReadPlayer(const QJsonObject &entry);
    bool ReadGenerated(const QJsonObject &generate);
    bool ReadCommon(const QJsonObject &entry, CSimPlayerConfig &player);
    bool CheckUnique();

    CSimJsonFields m_fields;
    QList<CSimPlayerConfig> m_players;
};
