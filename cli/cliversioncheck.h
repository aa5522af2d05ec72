#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include "cliplayerresult.h"
#include "clirequest.h"

class CCliDiscovery;

// After a firmware rollout: finds every player that received the whole image
// again by its udn and reads the version it runs, until it is the one
// expected or the time-out has passed.
class CCliVersionCheck
{
public:
    // The word firmware results carry in "update".
    static QString UpdatedText() { return QStringLiteral("updated"); }

    CCliVersionCheck(const CCliRequest &request, CCliDiscovery &discovery);

    // results: the firmware command's, by player; udns: the players' udns by
    // address. A player that downloaded the image is reported updated,
    // "not updated" (with the version it runs) or "not back".
    QList<CCliPlayerResult> Run(const QList<CCliPlayerResult> &results,
                                const QHash<QString, QString> &udns);

private:
    const CCliRequest m_request;
    CCliDiscovery &m_discovery;
};
