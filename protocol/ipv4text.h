#pragma once

#include <optional>

#include <QString>

// The one check of what counts as an IPv4 address anywhere in the tool: in a
// player's announcement, in the command channel, and in what the user types.
// Only the plain dotted form is accepted: four decimal numbers 0..255, no
// leading zeros (some parsers read "010" as octal, so the same text could
// name two hosts), no spaces, no port, nothing before or after.
class CIpv4Text
{
public:
    static bool IsAddress(const QString &text);
    // A dotted address whose one-bits form one run from the top (255.255.255.0,
    // not 255.0.255.0).
    static bool IsMask(const QString &text);
    // The address as a host-order number, or nothing when text is not one.
    static std::optional<quint32> ToNumber(const QString &text);
};
