// PlayerKinds: the encryptions a player knows and the model class with a device page.
#pragma once

#include <array>

#include <QLatin1String>
#include <QStringList>

// Spelt once for the window, the CLI and the engine, so that a dialog, the
// command line and a plan offer the same encryptions and treat the same
// players as configurable.
namespace PlayerKinds {

// The encryptions a player joins an access point with, as it names them, in
// the order they are offered.
inline constexpr std::array<QLatin1String, 5> ENCRYPTIONS = {
    QLatin1String("OPEN"), QLatin1String("WEP"), QLatin1String("WPA"), QLatin1String("WPA2"),
    QLatin1String("WPA/WPA2")};
// The one that needs no password.
inline constexpr QLatin1String OPEN_ENCRYPTION = ENCRYPTIONS.front();

inline QStringList EncryptionNames()
{
    QStringList names;
    for (const QLatin1String name : ENCRYPTIONS)
        names.append(name);
    return names;
}

// The model class (CDeviceSummary::ModelClass) of the players this tool
// configures itself, on its device page; the others show their own web page.
inline constexpr qint32 DEVICE_PAGE_CLASS = 2;

} // namespace PlayerKinds
