#include "versioncheck.h"

#include <QDeadlineTimer>
#include <QSet>

#include "sitediscovery.h"
#include "playerforeach.h"
#include "playersession.h"
#include "wirevocabulary.h"

namespace {

// getDeviceInfo, which carries the version.
constexpr int READ_EXCHANGES = 1;
const QString UPDATE = QStringLiteral("update");

} // namespace

CVersionCheck::CVersionCheck(const CPlayerRequest &request, CSiteDiscovery &discovery)
    : m_request(request), m_discovery(discovery)
{}

QList<CPlayerResult> CVersionCheck::Run(const QList<CPlayerResult> &results,
                                        const QHash<QString, QString> &udns)
{
    const QString expected = m_request.m_strExpectVersion;
    QSet<QString> pending;
    for (const CPlayerResult &result : results) {
        if (result.m_bOk)
            pending.insert(udns.value(result.m_strPlayer));
    }
    // The version each player was seen with last; a player that answers
    // before its reboot still has the old one, so the search goes on.
    QHash<QString, QString> seen;
    const QDeadlineTimer deadline(m_request.m_nTimeoutMs);
    while (!pending.isEmpty() && !deadline.hasExpired()) {
        const QDeadlineTimer round(
            std::min<qint64>(deadline.remainingTime(), CSiteDiscovery::RESWEEP_INTERVAL_MS));
        const QHash<QString, CDeviceSummary> found = m_discovery.FindAgain(pending, round);
        QHash<QString, QString> udnByIp;
        for (const CDeviceSummary &device : found)
            udnByIp.insert(device.ip, device.udn);
        const QHash<QString, QString> versions = PlayerForEach::Run<QString>(
            udnByIp.keys(), m_request.m_nParallel, READ_EXCHANGES,
            [](CPlayerSession &session, const QString &player) {
                session.TargetDevice(player);
                // A version is never empty: empty means the read failed.
                return session.GetDeviceInfo() ? session.GetDevice().firmversion : QString();
            });
        for (auto it = versions.cbegin(); it != versions.cend(); ++it) {
            if (it->isEmpty())
                continue;
            const QString udn = udnByIp.value(it.key());
            seen.insert(udn, *it);
            if (*it == expected)
                pending.remove(udn);
        }
    }

    const double seconds = double(m_request.m_nTimeoutMs) / CPlayerRequest::MS_PER_SECOND;
    QList<CPlayerResult> checked;
    for (const CPlayerResult &result : results) {
        if (!result.m_bOk) {
            checked.append(result);
            continue;
        }
        const QString udn = udns.value(result.m_strPlayer);
        if (!pending.contains(udn)) {
            CPlayerFields fields = result.m_fields;
            fields.append({WireVocabulary::FIRMVERSION, expected});
            fields.append({UPDATE, UpdatedText()});
            checked.append(CPlayerResult::Success(result.m_strPlayer, fields));
        } else if (seen.contains(udn)) {
            checked.append(CPlayerResult::Failure(
                result.m_strPlayer,
                QStringLiteral("not updated: runs %1, not %2").arg(seen.value(udn), expected)));
        } else {
            checked.append(CPlayerResult::Failure(
                result.m_strPlayer,
                QStringLiteral("not back: not found again by udn within %1 s").arg(seconds)));
        }
    }
    return checked;
}
