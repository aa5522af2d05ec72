// Announcement parsing: whatever bytes a host sends to the announcement port,
// up to its closing tag. A record may come out only with a plain dotted IPv4
// address, since that address is the key of the device list and the target
// of every command; anything else must be dropped, never crash.

#include <cstddef>
#include <cstdint>
#include <optional>

#include <QByteArray>

#include "announcement.h"
#include "ipv4text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const std::optional<CAnnouncement> announcement = CAnnouncement::ParseDeviceInfo(bytes);
    if (announcement && !CIpv4Text::IsAddress(announcement->ip))
        __builtin_trap();
    return 0;
}
