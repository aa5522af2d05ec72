#pragma once

#include <pugixml.hpp>

#include <QString>

#include "simplayerstate.h"

// What a handled command asks of the player besides its reply.
struct CSimCommandOutcome
{
    enum class EAction
    {
        None,
        GoUnreachable, // resetRender, rebootDevice
        Download,      // updateFirmware: fetch the image from m_strDownloadIp
    };

    bool m_success = false; // errcode "1" or "0"
    EAction m_action = EAction::None;
    QString m_strDownloadIp;
};

// Carries out one command on a player's state and fills in the reply's
// elements. Knows nothing of sockets or faults.
class CSimCommandHandler
{
public:
    explicit CSimCommandHandler(CSimPlayerState &state) : m_state(state) {}

    // request and reply are the Tavrion elements of the two documents. An
    // unknown operation fails.
    CSimCommandOutcome Handle(const QString &operation, const pugi::xml_node &request,
                              pugi::xml_node &reply);

private:
    using FHandler = bool (CSimCommandHandler::*)(const pugi::xml_node &request,
                                                  pugi::xml_node &reply);
    static FHandler Find(const QString &operation);

    bool GetDeviceName(const pugi::xml_node &request, pugi::xml_node &reply);
    bool SetDeviceName(const pugi::xml_node &request, pugi::xml_node &reply);
    bool GetWifiOnOff(const pugi::xml_node &request, pugi::xml_node &reply);
    bool SetWifiOnOff(const pugi::xml_node &request, pugi::xml_node &reply);
    bool GetApList(const pugi::xml_node &request, pugi::xml_node &reply);
    bool ConnectAp(const pugi::xml_node &request, pugi::xml_node &reply);
    bool GetDeviceInfo(const pugi::xml_node &request, pugi::xml_node &reply);
    bool GetProfileList(const pugi::xml_node &request, pugi::xml_node &reply);
    bool AddProfile(const pugi::xml_node &request, pugi::xml_node &reply);
    bool SetProfile(const pugi::xml_node &request, pugi::xml_node &reply);
    bool GetProfile(const pugi::xml_node &request, pugi::xml_node &reply);
    bool DeleteProfile(const pugi::xml_node &request, pugi::xml_node &reply);
    bool ActiveProfile(const pugi::xml_node &request, pugi::xml_node &reply);
    bool GetLanSetup(const pugi::xml_node &request, pugi::xml_node &reply);
    bool GetWifiSetup(const pugi::xml_node &request, pugi::xml_node &reply);
    bool SetLanSetup(const pugi::xml_node &request, pugi::xml_node &reply);
    bool SetWifiSetup(const pugi::xml_node &request, pugi::xml_node &reply);
    bool UpdateFirmware(const pugi::xml_node &request, pugi::xml_node &reply);
    bool ResetRender(const pugi::xml_node &request, pugi::xml_node &reply);
    bool RebootDevice(const pugi::xml_node &request, pugi::xml_node &reply);
    bool GetConnectedEssid(const pugi::xml_node &request, pugi::xml_node &reply);

    CSimPlayerState &m_state;
    CSimCommandOutcome m_outcome;
};
