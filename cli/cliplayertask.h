#pragma once

#include <QString>

#include "cliplayerresult.h"
#include "clirequest.h"

class CSetupManager;

// Runs one command line's device operations on one player, through a manager
// that belongs to the calling thread. Keeps no state of its own, so parallel
// workers share one task. For firmware it only sends
// "updateFirmware"; the download itself is watched elsewhere.
class CCliPlayerTask
{
public:
    // At most this many device commands go to one player per run (inventory:
    // name, Wi-Fi, device information, LAN and Wi-Fi set-up).
    static constexpr int MAX_EXCHANGES = 5;

    explicit CCliPlayerTask(CCliRequest request);

    CCliPlayerResult Run(CSetupManager &manager, const QString &player) const;

private:
    CCliPlayerResult Info(CSetupManager &manager) const;
    CCliPlayerResult Name(CSetupManager &manager) const;
    CCliPlayerResult Wifi(CSetupManager &manager) const;
    CCliPlayerResult Aps(CSetupManager &manager) const;
    CCliPlayerResult Connect(CSetupManager &manager) const;
    CCliPlayerResult Forget(CSetupManager &manager) const;
    CCliPlayerResult ShowSetup(CSetupManager &manager, bool wifi) const;
    CCliPlayerResult ChangeSetup(CSetupManager &manager, bool wifi) const;
    CCliPlayerResult Reboot(CSetupManager &manager) const;
    CCliPlayerResult Reset(CSetupManager &manager) const;
    CCliPlayerResult Firmware(CSetupManager &manager) const;
    CCliPlayerResult Inventory(CSetupManager &manager) const;
    static CCliPlayerResult Ok(const CSetupManager &manager, CCliFields fields = {});
    static CCliPlayerResult Failed(const CSetupManager &manager, const QString &operation);

    const CCliRequest m_request;
};
