#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QList>

#include "simfault.h"
#include "simjsonfields.h"
#include "simplayerstate.h"

// Reads the "state" and "faults" parts of a player in a JSON player file.
// Field names are the protocol's element names; anything left out keeps the
// value it had.
class CSimStateJson
{
public:
    explicit CSimStateJson(CSimJsonFields &fields) : m_fields(fields) {}

    bool ReadState(const QJsonValue &json, CSimPlayerState &state);
    bool ReadFaults(const QJsonValue &json, QList<CSimFault> &faults);

private:
    bool ReadAccessPoints(const QJsonValue &json, QList<CSimAccessPoint> &list);
    bool ReadSetup(const QJsonValue &json, CSimNetSetup &setup);
    bool ReadProfiles(const QJsonValue &json, QList<CSimProfile> &profiles);
    bool ReadFault(const QJsonValue &json, CSimFault &fault);
    bool ReadWifiOnOff(const QJsonObject &object, bool &on);

    CSimJsonFields &m_fields;
};
