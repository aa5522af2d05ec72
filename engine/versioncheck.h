#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include "playerresult.h"
#include "playerrequest.h"

class CSiteDiscovery;

// After a firmware rollout: finds every player that received the whole image
// again by its udn and reads the version it runs, until it is the one
// expected or the time-out has passed.
class CVersionCheck
{
public:
    // The word firmware results carry in "update".
    static QString UpdatedText() { return QStringLiteral("updated"); }

    CVersionCheck(const CPlayerRequest &request, CSiteDiscovery &discovery);

    // results: the firmware command's, by player; udns: the players' udns by
    // address. A player that downloaded the image is reported updated,
    // "not updated" (with the version it runs) or "not back".
    QList<CPlayerResult> Run(const QList<CPlayerResult> &results,
                             const QHash<QString, QString> &udns);

private:
    const CPlayerRequest m_request;
    CSiteDiscovery &m_discovery;
};
