#pragma once

#include <chrono>

#include <QString>

#include "playerresult.h"
#include "playerrequest.h"
#include "netcommander.h"

class CPlayerSession;

// Runs one command line's device operations on one player, through a session
// that belongs to the calling thread. Keeps no state of its own, so parallel
// workers share one task. For firmware it only sends
// "updateFirmware"; the download itself is watched elsewhere.
class CPlayerTask
{
public:
    // At most this many device commands go to one player per run (inventory:
    // name, Wi-Fi, device information, LAN and Wi-Fi set-up).
    static constexpr int MAX_EXCHANGES = 5;
    // Scheduling slack on top of the command channel's own time-outs.
    static constexpr int EXCHANGE_MARGIN_MS = 5000;
    // How long a number of exchanges can take, each a connect, a send and a
    // receive bounded by the command channel; beyond it a worker is given up.
    static constexpr std::chrono::milliseconds ExchangesBound(int exchanges)
    {
        return std::chrono::milliseconds{exchanges * (CNetCommander::CONNECT_TIMEOUT_MS +
                                                      2 * CNetCommander::RECEIVE_TIMEOUT_MS +
                                                      EXCHANGE_MARGIN_MS)};
    }

    explicit CPlayerTask(CPlayerRequest request);

    CPlayerResult Run(CPlayerSession &session, const QString &player) const;
    // The core's text of the failure just met; a failure the core gives no
    // text for (a status reply without errcode, a send that broke off) is
    // named after the operation.
    static QString ErrorText(const CPlayerSession &session, const QString &operation);

private:
    CPlayerResult Info(CPlayerSession &session) const;
    CPlayerResult Name(CPlayerSession &session) const;
    CPlayerResult Wifi(CPlayerSession &session) const;
    CPlayerResult Aps(CPlayerSession &session) const;
    CPlayerResult Connect(CPlayerSession &session) const;
    CPlayerResult Forget(CPlayerSession &session) const;
    CPlayerResult ShowSetup(CPlayerSession &session, bool wifi) const;
    CPlayerResult ChangeSetup(CPlayerSession &session, bool wifi) const;
    CPlayerResult Reboot(CPlayerSession &session) const;
    CPlayerResult Reset(CPlayerSession &session) const;
    CPlayerResult Firmware(CPlayerSession &session) const;
    CPlayerResult Inventory(CPlayerSession &session) const;
    static CPlayerResult Ok(const CPlayerSession &session, CPlayerFields fields = {});
    static CPlayerResult Failed(const CPlayerSession &session, const QString &operation);

    const CPlayerRequest m_request;
};
