#pragma once

#include <array>

#include <QLatin1String>

// The words of the device protocol, spelt once: the element names a player
// sends and receives and the closing tags that end a reply. Framing,
// decoding, storing and every front end iterate these, so a field can neither
// be misspelt in one place nor forgotten in another. Matching is exact, case
// included.
namespace WireVocabulary {

// The root element of every request and of most replies.
inline constexpr QLatin1String ROOT("Tavrion");
inline constexpr QLatin1String ERRCODE("errcode");

// A reply is complete once one of these has arrived; some players end a
// getDeviceInfo reply with a deviceInfo root instead.
inline constexpr std::array<QLatin1String, 2> CLOSING_TAGS = {QLatin1String("</Tavrion>"),
                                                              QLatin1String("</deviceInfo>")};
// The longest closing tag, for searches that must see one split across reads.
inline constexpr qsizetype LONGEST_CLOSING_TAG = 13;

inline constexpr QLatin1String DEVICENAME("devicename");
inline constexpr QLatin1String WIFIONOFF("wifionoff");
inline constexpr QLatin1String APLIST("aplist");
inline constexpr QLatin1String ESSID("essid");
// The result key of getConnectedESSID, whose reply carries the name as essid.
inline constexpr QLatin1String CONNECTED_ESSID("connected_essid");
inline constexpr QLatin1String DOWNLOADIP("downloadip");

// getDeviceInfo, in reply order.
inline constexpr QLatin1String LANIP("lanip");
inline constexpr QLatin1String WIFIIP("wifiip");
inline constexpr QLatin1String LANMAC("lanmac");
inline constexpr QLatin1String WIFIMAC("wifimac");
inline constexpr QLatin1String FIRMVERSION("firmversion");
inline constexpr QLatin1String SERIALNUMBER("serialnumber");
inline constexpr std::array<QLatin1String, 6> DEVICE_INFO_FIELDS = {
    LANIP, WIFIIP, LANMAC, WIFIMAC, FIRMVERSION, SERIALNUMBER};

// getLanSetup and getWifiSetup, and the bodies that set them.
inline constexpr QLatin1String SETUPMODE("setupmode");
inline constexpr QLatin1String IPADDRESS("ipaddress");
inline constexpr QLatin1String SUBNETMASK("subnetmask");
inline constexpr QLatin1String DEFAULTGATEWAY("defaultgateway");
inline constexpr QLatin1String PRIMARYDNS("primarydns");
inline constexpr QLatin1String SECONDDNS("seconddns");
inline constexpr std::array<QLatin1String, 6> IP_SETUP_FIELDS = {
    SETUPMODE, IPADDRESS, SUBNETMASK, DEFAULTGATEWAY, PRIMARYDNS, SECONDDNS};

// The children of one access point in a getApList reply.
inline constexpr QLatin1String ENCRYPTIONKEY("encryptionkey");
inline constexpr QLatin1String QUALITY("quality");
inline constexpr QLatin1String CONNECTED("connected");
inline constexpr QLatin1String SAVED("saved");
inline constexpr std::array<QLatin1String, 5> ACCESS_POINT_FIELDS = {ESSID, ENCRYPTIONKEY, QUALITY,
                                                                     CONNECTED, SAVED};

// A player's announcement.
inline constexpr QLatin1String MODEL("model");
inline constexpr QLatin1String NAME("name");
inline constexpr QLatin1String IP("ip");
inline constexpr QLatin1String UDN("udn");
inline constexpr std::array<QLatin1String, 4> ANNOUNCEMENT_FIELDS = {MODEL, NAME, IP, UDN};

} // namespace WireVocabulary
