#pragma once

#include <QString>

// The one check of a name the user gives for a player to keep: the player's
// own name and the ESSID of the access point it is to join, whether typed in
// a window, given on the command line or written in a plan. A player keeps
// them in storage of its own and shows them to other programs, so they are
// refused before anything is sent when a player could not keep them as
// given: holding a control character, or longer than it stores.
class CNameText
{
public:
    // A player's name: 64 bytes of UTF-8, the common bound of a network
    // device's friendly name. Nothing on the wire caps it, but a player that
    // cuts a longer name leaves the tool showing one name while the player
    // keeps another, and a name that long no longer fits a list anyway.
    static constexpr qsizetype MAX_DEVICE_NAME_BYTES = 64;
    // An SSID is at most 32 bytes on the air; no access point has a longer one.
    static constexpr qsizetype MAX_ESSID_BYTES = 32;

    // Why text cannot be sent as a player's name, empty when it can. The
    // reason follows the field's name: "holds a control character (U+001B)",
    // "is 70 bytes long (UTF-8); a player keeps at most 64".
    static QString DeviceNameProblem(const QString &text);
    static QString EssidProblem(const QString &text);

    // C0 (U+0000..U+001F), DEL and C1 (U+0080..U+009F): text that a terminal,
    // a log or a player's own display may act on instead of showing it.
    static bool IsControl(char32_t c);

private:
    static QString Problem(const QString &text, qsizetype maxBytes);
};
