#include "planapply.h"

#include <QSet>

#include "firmwarerollout.h"
#include "playerforeach.h"
#include "playerkinds.h"
#include "playersession.h"
#include "playertask.h"
#include "sitediscovery.h"

namespace {

// The model class this tool configures.
// Reading a player: name, Wi-Fi, device information, two set-ups, access points.
constexpr int READ_EXCHANGES = 6;
// Sending: name, Wi-Fi and access point; or two set-ups and the reboot.
constexpr int SEND_EXCHANGES = 3;
// Two set-ups, a reading of what the player stored, and the reboot.
constexpr int NETWORK_EXCHANGES = SEND_EXCHANGES + READ_EXCHANGES;
const QString SETUP_STATIC = QStringLiteral("STATIC");
const QString SETUP_DHCP = QStringLiteral("DHCP");

const QString GIVEN_UP = QStringLiteral("no answer in time; given up");
// The key of the reboot among the requests sent.
const QString REBOOT = QStringLiteral("reboot");
const QString LAN = QStringLiteral("lan");
const QString WLAN = QStringLiteral("wlan");
const QString FIRMWARE = QStringLiteral("firmware.version");

QString SetupCommand(bool wifi)
{
    return wifi ? QStringLiteral("setWifiSetup") : QStringLiteral("setLanSetup");
}

QString SetupOf(const QString &field)
{
    const QString prefix = field.section(QLatin1Char('.'), 0, 0);
    return prefix == LAN || prefix == WLAN ? prefix : QString();
}

} // namespace

bool CPlanApply::CTarget::IsActive() const
{
    return m_bFound && !m_bDone && m_outcome.m_status != CApplyOutcome::EStatus::Unchanged;
}

bool CPlanApply::CTarget::Changes(const QString &prefix) const
{
    return std::any_of(
        m_outcome.m_changes.cbegin(), m_outcome.m_changes.cend(),
        [&prefix](const CApplyChange &c) { return c.m_change.m_strField.startsWith(prefix); });
}

bool CPlanApply::CTarget::SendsSetup(const QString &prefix) const
{
    return std::any_of(m_outcome.m_changes.cbegin(), m_outcome.m_changes.cend(),
                       [&prefix](const CApplyChange &c) {
                           return !c.m_bInUse && SetupOf(c.m_change.m_strField) == prefix;
                       });
}

void CPlanApply::CTarget::MarkSent(const QStringList &fields, ESent sent)
{
    for (const QString &field : fields) {
        // What is known to have gone out stays known.
        if (m_sent.value(field, ESent::Perhaps) != ESent::Sent)
            m_sent.insert(field, sent);
    }
}

CPlanApply::CPlanApply(const CPlayerRequest &request, QList<CPlanEntry> plan) : m_request(request)
{
    for (CPlanEntry &entry : plan) {
        CTarget target;
        target.m_outcome.m_strKey = entry.Key();
        target.m_outcome.m_strUdn = entry.m_strUdn;
        target.m_entry = std::move(entry);
        m_targets.append(target);
    }
}

QList<CApplyOutcome> CPlanApply::Run(CSiteDiscovery &discovery)
{
    m_pDiscovery = &discovery;
    Match();
    ReadStates();
    if (!m_request.m_bDryRun) {
        SendSettings();
        UpdateFirmware();
        SendNetwork();
        Verify();
    }
    Report();
    QList<CApplyOutcome> outcomes;
    for (const CTarget &target : std::as_const(m_targets))
        outcomes.append(target.m_outcome);
    return outcomes;
}

QList<CPlanApply::CTarget *> CPlanApply::Active(const std::function<bool(const CTarget &)> &wanted)
{
    QList<CTarget *> active;
    for (CTarget &target : m_targets) {
        if (target.IsActive() && (!wanted || wanted(target)))
            active.append(&target);
    }
    return active;
}

void CPlanApply::Fail(CTarget &target, const QString &step, const QString &error)
{
    target.m_outcome.m_status = CApplyOutcome::EStatus::Failed;
    target.m_outcome.m_strError = QStringLiteral("%1: %2").arg(step, error);
    target.m_bDone = true;
}

// A player is claimed only by itself: when several addresses claim it, any
// of them could be another host, so none of them gets anything.
void CPlanApply::Refuse(CTarget &target, const QString &key, const QStringList &addresses,
                        const QString &claim)
{
    target.m_bFound = false;
    target.m_bDone = true;
    target.m_outcome.m_status = CApplyOutcome::EStatus::Ambiguous;
    target.m_outcome.m_strPlayer.clear();
    target.m_outcome.m_strError =
        QStringLiteral("%1 is %2 by more than one address (%3); nothing was sent to any of them")
            .arg(key, claim, addresses.join(QStringLiteral(", ")));
}

bool CPlanApply::Settle(CTarget &target, const QHash<QString, CSent> &results,
                        const QStringList &possible)
{
    const auto it = results.constFind(target.m_device.ip);
    if (it == results.cend()) {
        target.MarkSent(possible, ESent::Perhaps);
        Fail(target, QStringLiteral("send"), GIVEN_UP);
        return false;
    }
    target.MarkSent(it->m_fields, ESent::Sent);
    if (it->m_stored.m_bRead)
        target.m_stored = it->m_stored;
    if (it->m_strError.isEmpty())
        return true;
    Fail(target, it->m_strError.section(QStringLiteral(": "), 0, 0),
         it->m_strError.section(QStringLiteral(": "), 1));
    return false;
}

// Entries with a udn find their player in the discovery; the others are
// matched by the LAN MAC address read from every configurable player left.
void CPlanApply::Match()
{
    QHash<QString, QList<CDeviceSummary>> byUdn;
    for (const CDeviceSummary &device : m_pDiscovery->Devices())
        byUdn[device.udn].append(device);
    const auto addresses = [&byUdn](const QString &udn) {
        QStringList ips;
        for (const CDeviceSummary &device : byUdn.value(udn))
            ips.append(device.ip);
        return ips;
    };
    QSet<QString> taken;
    for (CTarget &target : m_targets) {
        const auto it = byUdn.constFind(target.m_entry.m_strUdn);
        if (target.m_entry.m_strUdn.isEmpty() || it == byUdn.cend())
            continue;
        const QStringList ips = addresses(it.key());
        for (const QString &ip : ips)
            taken.insert(ip);
        if (ips.size() > 1) {
            Refuse(target, it.key(), ips, QStringLiteral("announced"));
            continue;
        }
        target.m_device = it->first();
        target.m_bFound = true;
    }
    QStringList candidates;
    for (const CDeviceSummary &device : m_pDiscovery->Devices()) {
        if (device.modelClass == PlayerKinds::DEVICE_PAGE_CLASS && !taken.contains(device.ip))
            candidates.append(device.ip);
    }
    MatchByLanMac(candidates);
    for (CTarget &target : m_targets) {
        if (!target.m_bFound)
            continue;
        // Found by LAN MAC address, but found again after a reboot by udn.
        const QStringList ips = addresses(target.m_device.udn);
        if (!target.m_device.udn.isEmpty() && ips.size() > 1) {
            Refuse(target, target.m_device.udn, ips, QStringLiteral("announced"));
            continue;
        }
        target.m_outcome.m_strPlayer = target.m_device.ip;
        target.m_outcome.m_strUdn = target.m_device.udn;
        if (target.m_device.modelClass != PlayerKinds::DEVICE_PAGE_CLASS)
            Fail(target, QStringLiteral("find"),
                 QStringLiteral("%1 is of model class %2, which this tool does not configure")
                     .arg(target.m_device.model)
                     .arg(target.m_device.modelClass));
    }
}

void CPlanApply::MatchByLanMac(const QStringList &candidates)
{
    const bool wanted = std::any_of(m_targets.cbegin(), m_targets.cend(),
                                    [](const CTarget &t) { return t.m_entry.m_strUdn.isEmpty(); });
    if (!wanted || candidates.isEmpty())
        return;
    const QHash<QString, CPlanState> states =
        PlayerForEach::Run<CPlanState>(candidates, m_request.m_nParallel, READ_EXCHANGES,
                                       [](CPlayerSession &session, const QString &player) {
                                           return CPlanState::Read(session, player, false);
                                       });
    QHash<QString, QStringList> byMac;
    for (const QString &candidate : candidates) {
        const auto state = states.constFind(candidate);
        if (state != states.cend() && state->m_bRead)
            byMac[state->m_strLanMac].append(state->m_strPlayer);
    }
    for (CTarget &target : m_targets) {
        if (!target.m_entry.m_strUdn.isEmpty() || !byMac.contains(target.m_entry.m_strLanMac))
            continue;
        const QStringList ips = byMac.value(target.m_entry.m_strLanMac);
        if (ips.size() > 1) {
            Refuse(target, target.m_entry.m_strLanMac, ips, QStringLiteral("reported"));
            continue;
        }
        const QString ip = ips.first();
        for (const CDeviceSummary &device : m_pDiscovery->Devices()) {
            if (device.ip == ip)
                target.m_device = device;
        }
        target.m_bFound = true;
    }
}

QHash<QString, CPlanState> CPlanApply::ReadAll(const QList<CTarget *> &targets) const
{
    QStringList players;
    QSet<QString> withAccessPoint;
    for (const CTarget *target : targets) {
        players.append(target->m_device.ip);
        if (target->m_entry.m_accessPoint)
            withAccessPoint.insert(target->m_device.ip);
    }
    return PlayerForEach::Run<CPlanState>(
        players, m_request.m_nParallel, READ_EXCHANGES,
        [withAccessPoint](CPlayerSession &session, const QString &player) {
            return CPlanState::Read(session, player, withAccessPoint.contains(player));
        });
}

void CPlanApply::ReadStates()
{
    const QList<CTarget *> targets = Active();
    const QHash<QString, CPlanState> states = ReadAll(targets);
    for (CTarget *target : targets) {
        const auto it = states.constFind(target->m_device.ip);
        if (it == states.cend() || !it->m_bRead) {
            Fail(*target, QStringLiteral("read"), it == states.cend() ? GIVEN_UP : it->m_strError);
            continue;
        }
        target->m_state = *it;
        CApplyOutcome &outcome = target->m_outcome;
        for (const CPlanChange &change : it->Changes(target->m_entry))
            outcome.m_changes.append({change});
        // A set-up stored as planned that the player does not use yet needs
        // only its reboot; it counts as a change, the address in use to the plan's.
        QSet<QString> pending;
        for (const CPlanChange &change : it->PendingReboot(target->m_entry)) {
            outcome.m_changes.append({change, CApplyChange::EState::PendingReboot, true});
            outcome.m_pendingReboot.append(SetupOf(change.m_strField));
            pending.insert(change.m_strField);
        }
        for (const CPlanChange &same : it->Unchanged(target->m_entry)) {
            if (!pending.contains(same.m_strField))
                outcome.m_unchanged.append(same);
        }
        if (outcome.m_changes.isEmpty())
            outcome.m_status = CApplyOutcome::EStatus::Unchanged;
        else
            outcome.m_status = m_request.m_bDryRun ? CApplyOutcome::EStatus::Planned
                                                   : CApplyOutcome::EStatus::Unverified;
    }
}

// Name, Wi-Fi and access point take effect without a reboot.
void CPlanApply::SendSettings()
{
    const QList<CTarget *> targets = Active([](const CTarget &t) {
        return t.Changes(QStringLiteral("name")) || t.Changes(QStringLiteral("wifi")) ||
               t.Changes(QStringLiteral("accessPoint"));
    });
    const QStringList settings = {QStringLiteral("name"), QStringLiteral("wifi"),
                                  QStringLiteral("accessPoint.essid")};
    QHash<QString, CPlanEntry> entries;
    QHash<QString, QList<CPlanChange>> changes;
    QStringList players;
    for (const CTarget *target : targets) {
        players.append(target->m_device.ip);
        entries.insert(target->m_device.ip, target->m_entry);
        for (const CApplyChange &change : target->m_outcome.m_changes) {
            if (settings.contains(change.m_change.m_strField))
                changes[target->m_device.ip].append(change.m_change);
        }
    }
    const QHash<QString, CSent> results = PlayerForEach::Run<CSent>(
        players, m_request.m_nParallel, SEND_EXCHANGES,
        [entries, changes](CPlayerSession &session, const QString &player) {
            session.TargetDevice(player);
            const CPlanEntry &entry = entries.value(player);
            CSent sent;
            for (const CPlanChange &change : changes.value(player)) {
                sent.m_fields.append(change.m_strField);
                if (change.m_strField == QLatin1String("name") &&
                    !session.SetDeviceName(change.m_strTo))
                    sent.m_strError =
                        QStringLiteral("name: ") +
                        CPlayerTask::ErrorText(session, QStringLiteral("setDeviceName"));
                else if (change.m_strField == QLatin1String("wifi") &&
                         !session.SetWifiOnOff(change.m_strTo == QLatin1String("on") ? 1 : 0))
                    sent.m_strError =
                        QStringLiteral("wifi: ") +
                        CPlayerTask::ErrorText(session, QStringLiteral("setWifiOnOff"));
                else if (change.m_strField == QLatin1String("accessPoint.essid") &&
                         !session.ConnectAp(entry.m_accessPoint->m_strEssid,
                                            entry.m_accessPoint->m_strPassword,
                                            entry.m_accessPoint->m_strEncryption))
                    sent.m_strError = QStringLiteral("accessPoint: ") +
                                      CPlayerTask::ErrorText(session, QStringLiteral("connectAp"));
                if (!sent.m_strError.isEmpty())
                    break;
            }
            return sent;
        });
    for (CTarget *target : targets) {
        QStringList possible;
        for (const CPlanChange &change : changes.value(target->m_device.ip))
            possible.append(change.m_strField);
        Settle(*target, results, possible);
    }
}

// One download server per image; the players come back with the new version
// before their address set-up is touched.
void CPlanApply::UpdateFirmware()
{
    QHash<QString, QList<CTarget *>> byFile;
    for (CTarget *target :
         Active([](const CTarget &t) { return t.Changes(QStringLiteral("firmware")); }))
        byFile[target->m_entry.m_firmware->m_strFile].append(target);
    for (auto it = byFile.cbegin(); it != byFile.cend(); ++it) {
        CPlayerRequest request = m_request;
        request.m_command = EPlayerCommand::Firmware;
        request.m_arguments = {it.key()};
        request.m_strDownloadIp = m_pDiscovery->SweepAddress();
        QStringList players;
        for (const CTarget *target : it.value())
            players.append(target->m_device.ip);
        CFirmwareRollout firmware(request, it.value().first()->m_entry.m_firmware->m_pImage);
        QString error;
        const std::optional<QList<CPlayerResult>> results = firmware.Run(players, &error);
        QList<CTarget *> sent;
        const QStringList firmwareField = {FIRMWARE};
        for (CTarget *target : it.value()) {
            const CPlayerResult *result = nullptr;
            for (const CPlayerResult &r : results ? *results : QList<CPlayerResult>()) {
                if (r.m_strPlayer == target->m_device.ip)
                    result = &r;
            }
            // Without a download server no request went out.
            if (results)
                target->MarkSent(firmwareField, result ? ESent::Sent : ESent::Perhaps);
            if (!result || !result->m_bOk) {
                Fail(*target, QStringLiteral("firmware"), result ? result->m_strError : error);
                continue;
            }
            target->m_bRebooted = true;
            sent.append(target);
        }
        AwaitBack(sent, [](const CTarget &target, const CPlanState &state) {
            return state.Value(QStringLiteral("firmware.version")) ==
                   target.m_entry.m_firmware->m_strVersion;
        });
        for (CTarget *target : sent) {
            const QString now = target->m_state.Value(QStringLiteral("firmware.version"));
            if (!target->m_state.m_bRead) {
                // Sent and downloaded, but never seen again: not known either way.
                target->m_outcome.m_strError =
                    QStringLiteral("firmware: not found again by udn within %1 s")
                        .arg(m_request.m_nTimeoutMs / CPlayerRequest::MS_PER_SECOND);
                target->m_bDone = true;
            } else if (now != target->m_entry.m_firmware->m_strVersion) {
                Fail(*target, QStringLiteral("firmware"),
                     QStringLiteral("the player runs %1 after the update").arg(now));
            }
        }
    }
}

// Both set-ups, then one reboot that applies them.
void CPlanApply::SendNetwork()
{
    const QList<CTarget *> targets = Active([](const CTarget &t) {
        return t.Changes(QStringLiteral("lan.")) || t.Changes(QStringLiteral("wlan."));
    });
    QHash<QString, CTarget> byPlayer;
    for (const CTarget *target : targets)
        byPlayer.insert(target->m_device.ip, *target);
    QStringList players = byPlayer.keys();
    const QHash<QString, CSent> results = PlayerForEach::Run<CSent>(
        players, m_request.m_nParallel, NETWORK_EXCHANGES,
        [byPlayer](CPlayerSession &session, const QString &player) {
            const CTarget &target = byPlayer.value(player);
            session.TargetDevice(player);
            CSent sent;
            for (const bool wifi : {false, true}) {
                const QString prefix = wifi ? WLAN : LAN;
                if (!target.SendsSetup(prefix))
                    continue;
                for (const CApplyChange &change : target.m_outcome.m_changes) {
                    if (!change.m_bInUse && SetupOf(change.m_change.m_strField) == prefix)
                        sent.m_fields.append(change.m_change.m_strField);
                }
                const CPlanSetup &wanted = wifi ? *target.m_entry.m_wlan : *target.m_entry.m_lan;
                const CDevice &d = target.m_state.m_device;
                // As the set-up dialog does it: DHCP sends the addresses the
                // player reported, which it keeps for a later static set-up.
                QStringList addresses = {wanted.m_strIp, wanted.m_strMask, wanted.m_strGateway,
                                         wanted.m_strDns1, wanted.m_strDns2};
                if (wanted.m_bDhcp)
                    addresses =
                        wifi ? QStringList{d.wifiIpaddress, d.wifiSubnetmask, d.wifiDefaultgateway,
                                           d.wifiPrimarydns, d.wifiSeconddns}
                             : QStringList{d.lanIpaddress, d.lanSubnetmask, d.lanDefaultgateway,
                                           d.lanPrimarydns, d.lanSeconddns};
                const QString mode = wanted.m_bDhcp ? SETUP_DHCP : SETUP_STATIC;
                const bool set =
                    wifi ? session.SetWifiSetup(mode, addresses.at(0), addresses.at(1),
                                                addresses.at(2), addresses.at(3), addresses.at(4))
                         : session.SetLanSetup(mode, addresses.at(0), addresses.at(1),
                                               addresses.at(2), addresses.at(3), addresses.at(4));
                if (!set) {
                    sent.m_strError = prefix + QStringLiteral(": ") +
                                      CPlayerTask::ErrorText(session, SetupCommand(wifi));
                    return sent;
                }
            }
            // What the player stored, in case it is not seen again after the
            // reboot; a reading that fails only leaves that unknown.
            sent.m_stored =
                CPlanState::Read(session, player, target.m_entry.m_accessPoint.has_value());
            session.TargetDevice(player);
            sent.m_fields.append(REBOOT);
            if (!session.RebootDevice())
                sent.m_strError = QStringLiteral("reboot: ") +
                                  CPlayerTask::ErrorText(session, QStringLiteral("rebootDevice"));
            return sent;
        });
    for (CTarget *target : targets) {
        QStringList possible = {REBOOT};
        for (const CApplyChange &change : target->m_outcome.m_changes) {
            if (!change.m_bInUse && !SetupOf(change.m_change.m_strField).isEmpty())
                possible.append(change.m_change.m_strField);
        }
        if (Settle(*target, results, possible)) {
            target->m_bRebooted = true;
            target->m_bSetupsRebooted = true;
        }
    }
}

// Every field of the plan read back; a rebooted player from where it is
// found again, which for a new static LAN address must be that address.
void CPlanApply::Verify()
{
    const auto matches = [](const CTarget &target, const CPlanState &state) {
        if (!state.Changes(target.m_entry).isEmpty() ||
            !state.PendingReboot(target.m_entry).isEmpty())
            return false;
        const std::optional<CPlanSetup> &lan = target.m_entry.m_lan;
        return !lan || lan->m_bDhcp || state.m_strPlayer == lan->m_strIp ||
               !target.Changes(QStringLiteral("lan.ip"));
    };
    // A player stopped by a failure is read back too, so that each change it
    // was sent can be told: found again by udn when a reboot or an image may
    // have sent it away, else read once where it is.
    QList<CTarget *> back = Active([](const CTarget &t) { return t.m_bRebooted; });
    QList<CTarget *> stayed = Active([](const CTarget &t) { return !t.m_bRebooted; });
    for (CTarget &target : m_targets) {
        if (!target.m_bFound || target.m_outcome.m_status != CApplyOutcome::EStatus::Failed ||
            target.m_sent.isEmpty())
            continue;
        const bool away = target.m_sent.contains(REBOOT) || target.m_sent.contains(FIRMWARE);
        (away ? back : stayed).append(&target);
    }
    AwaitBack(back, [&matches](const CTarget &target, const CPlanState &state) {
        return target.m_bDone || matches(target, state);
    });
    const QHash<QString, CPlanState> states = ReadAll(stayed);
    for (CTarget *target : stayed)
        target->m_state = states.value(target->m_device.ip);
    for (CTarget *target : Active()) {
        CApplyOutcome &outcome = target->m_outcome;
        const CPlanState &state = target->m_state;
        if (state.m_bRead && matches(*target, state)) {
            outcome.m_status = CApplyOutcome::EStatus::Ok;
            continue;
        }
        outcome.m_status = CApplyOutcome::EStatus::Unverified;
        if (!state.m_bRead) {
            outcome.m_strError =
                target->m_bRebooted
                    ? QStringLiteral("not found again by udn within %1 s")
                          .arg(m_request.m_nTimeoutMs / CPlayerRequest::MS_PER_SECOND)
                    : QStringLiteral("read back: %1").arg(state.m_strError);
            continue;
        }
        QStringList differing;
        for (const CPlanChange &change : state.Changes(target->m_entry))
            differing.append(
                QStringLiteral("%1 reads '%2'").arg(change.m_strField, change.m_strFrom));
        for (const CPlanChange &change : state.PendingReboot(target->m_entry))
            differing.append(
                QStringLiteral("%1 in use is '%2'").arg(change.m_strField, change.m_strFrom));
        if (differing.isEmpty())
            differing.append(QStringLiteral("found at %1, not at lan.ip").arg(state.m_strPlayer));
        outcome.m_strError = QStringLiteral("read back: ") + differing.join(QStringLiteral(", "));
    }
}

void CPlanApply::AwaitBack(const QList<CTarget *> &targets, const Check &check)
{
    QHash<QString, CTarget *> pending;
    for (CTarget *target : targets) {
        target->m_state = CPlanState();
        pending.insert(target->m_device.udn, target);
    }
    const QDeadlineTimer deadline(m_request.m_nTimeoutMs);
    while (!pending.isEmpty() && !deadline.hasExpired()) {
        const QSet<QString> udns(pending.keyBegin(), pending.keyEnd());
        const QDeadlineTimer round(
            std::min<qint64>(deadline.remainingTime(), CSiteDiscovery::RESWEEP_INTERVAL_MS));
        const QHash<QString, CDeviceSummary> found = m_pDiscovery->FindAgain(udns, round);
        QList<CTarget *> back;
        for (auto it = found.cbegin(); it != found.cend(); ++it) {
            CTarget *target = pending.value(it.key());
            target->m_device = *it;
            target->m_outcome.m_strPlayer = it->ip;
            back.append(target);
        }
        const QHash<QString, CPlanState> states = ReadAll(back);
        for (CTarget *target : back) {
            const auto state = states.constFind(target->m_device.ip);
            if (state == states.cend() || !state->m_bRead)
                continue;
            target->m_state = *state;
            if (check(*target, *state))
                pending.remove(target->m_device.udn);
        }
    }
}

void CPlanApply::Report()
{
    for (CTarget &target : m_targets) {
        for (CApplyChange &change : target.m_outcome.m_changes) {
            if (m_request.m_bDryRun)
                change.m_state = change.m_bInUse ? CApplyChange::EState::PendingReboot
                                                 : CApplyChange::EState::Planned;
            else
                change.m_state = StateOf(target, change);
        }
    }
}

CApplyChange::EState CPlanApply::StateOf(const CTarget &target, const CApplyChange &change) const
{
    using EState = CApplyChange::EState;
    const QString &field = change.m_change.m_strField;
    // An address in use changes with the reboot alone.
    const auto sent = target.m_sent.constFind(change.m_bInUse ? REBOOT : field);
    if (sent == target.m_sent.cend())
        return EState::NotSent;
    // The reading after everything, else the one made before the reboot.
    const CPlanState *state = target.m_state.m_bRead    ? &target.m_state
                              : target.m_stored.m_bRead ? &target.m_stored
                                                        : nullptr;
    if (!state)
        return EState::Unknown;
    const QString setup = SetupOf(field);
    if (!change.m_bInUse && state->Value(field) != change.m_change.m_strTo)
        return *sent == ESent::Sent ? EState::NotApplied : EState::Unknown;
    if (setup.isEmpty())
        return EState::Applied;
    // A set-up is stored; it is in use only after a reboot, which the address
    // the player uses shows, or, where that cannot be told, the reboot's answer.
    if (state == &target.m_stored)
        return EState::PendingReboot;
    const std::optional<bool> uses = state->UsesPlannedAddress(target.m_entry, setup == WLAN);
    if (uses)
        return *uses ? EState::Applied : EState::PendingReboot;
    return target.m_bSetupsRebooted ? EState::Applied : EState::PendingReboot;
}
