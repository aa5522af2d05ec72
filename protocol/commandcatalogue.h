#pragma once

#include <array>

#include "stpcmdtag.h"

// Command numbers of the catalogue, as the device operations name them.
enum CommandId : qint32
{
    CMD_GET_DEVICE_NAME = 1,
    CMD_SET_DEVICE_NAME = 2,
    CMD_GET_WIFI_ON_OFF = 3,
    CMD_SET_WIFI_ON_OFF = 4,
    CMD_GET_AP_LIST = 5,
    CMD_CONNECT_AP = 6,
    CMD_GET_DEVICE_INFO = 7,
    CMD_GET_PROFILE_LIST = 8,
    CMD_ADD_PROFILE = 9,
    CMD_SET_PROFILE = 10,
    CMD_GET_PROFILE = 11,
    CMD_DELETE_PROFILE = 12,
    CMD_ACTIVE_PROFILE = 13,
    CMD_GET_LAN_SETUP = 14,
    CMD_GET_WIFI_SETUP = 15,
    CMD_SET_LAN_SETUP = 16,
    CMD_SET_WIFI_SETUP = 17,
    CMD_UPDATE_FIRMWARE = 18,
    CMD_RESET_RENDER = 19,
    CMD_REBOOT_DEVICE = 20,
    CMD_GET_CONNECTED_ESSID = 21,
};

constexpr int STP_CMD_COUNT = 21;

// The one constant table of the 21 commands, in the order of their numbers.
extern const std::array<STP_CMD_TAG, STP_CMD_COUNT> STP_CMD_TABLE;

// The first entry whose number is id, or nullptr. Callers copy the entry.
const STP_CMD_TAG *FindCommand(qint32 id);
