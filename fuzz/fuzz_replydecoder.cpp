// Reply decoding: whatever bytes a player sends back, decoded as the reply
// to a status command or to one of the queries whose data is taken. The
// first byte picks the command; the rest is the reply. A result outside 0/1,
// or a failure without a reason where one is due, stops the run.

#include <array>
#include <cstddef>
#include <cstdint>

#include "commandcatalogue.h"
#include "replydecoder.h"

namespace {

// 0 stands for a status reply; the others are the queries that decode data.
constexpr std::array<qint32, 9> kCommands = {
    0,
    CMD_GET_DEVICE_NAME,
    CMD_GET_WIFI_ON_OFF,
    CMD_GET_AP_LIST,
    CMD_GET_DEVICE_INFO,
    CMD_GET_LAN_SETUP,
    CMD_GET_WIFI_SETUP,
    CMD_GET_CONNECTED_ESSID,
    CMD_GET_PROFILE_LIST,
};

void Require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const qint32 cmdId = kCommands[data[0] % kCommands.size()];
    const QString reply = QString::fromUtf8(reinterpret_cast<const char *>(data + 1),
                                            static_cast<qsizetype>(size - 1));
    const QString xml = CReplyDecoder::ExtractXml(reply);

    STP_CMD_ERROR_TAG error;
    if (cmdId == 0) {
        const int result = CReplyDecoder::DecodeStatus(xml, QStringLiteral("setDeviceName"), error);
        Require(result == 0 || result == 1);
        Require(result == 0 || error.nCode == 0);
        return 0;
    }
    STP_CMD_RESULT_TAG result;
    const int decoded = CReplyDecoder::DecodeData(xml, cmdId, result, error);
    Require(decoded == 0 || decoded == 1);
    if (decoded == 1)
        Require(error.nCode == 0 && result.nCmdId == cmdId);
    else
        Require(error.nCode == 1 && !error.strText.isEmpty());
    return 0;
}
