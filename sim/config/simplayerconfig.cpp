#include "simplayerconfig.h"

#include <QHostAddress>

namespace {

// Players live on 127.0.0.x; .0 is the network and .1 is where the tool runs.
constexpr quint32 kPlayerNetwork = 0x7F000000;
constexpr quint32 kHostMask = 0xFF;
constexpr quint32 kFirstHost = 2;
constexpr quint32 kLastHost = 255;
// The udn and serial number carry the host number with this many digits.
constexpr int kIdDigits = 4;
constexpr int kDecimal = 10;
constexpr int kHex = 16;
// Strong enough to be listed first by the tool, weak enough to look real.
constexpr int kHomeQuality = 80;
constexpr int kNeighbourQuality = 35;

quint32 HostNumber(const QString &address)
{
    return QHostAddress(address).toIPv4Address() & kHostMask;
}

// Locally administered MACs (02:...) so they can never clash with real hardware.
QString Mac(quint32 kind, quint32 host)
{
    return QStringLiteral("02:4B:53:%1:00:%2")
        .arg(kind, 2, kHex, QLatin1Char('0'))
        .arg(host, 2, kHex, QLatin1Char('0'))
        .toUpper();
}

CSimAccessPoint AccessPoint(const QString &essid, const QString &key, int quality, bool connected)
{
    CSimAccessPoint ap;
    ap.m_strEssid = essid;
    ap.m_strEncryptionKey = key;
    ap.m_strQuality = QString::number(quality);
    ap.m_connected = connected;
    ap.m_saved = connected;
    return ap;
}

CSimNetSetup Dhcp(const QString &address)
{
    CSimNetSetup setup;
    setup.m_strSetupMode = QStringLiteral("DHCP");
    setup.m_strIpAddress = address;
    setup.m_strSubnetMask = QStringLiteral("255.0.0.0");
    setup.m_strDefaultGateway = QStringLiteral("127.0.0.1");
    setup.m_strPrimaryDns = QStringLiteral("127.0.0.1");
    return setup;
}

} // namespace

CSimPlayerConfig CSimPlayerConfig::ForAddress(const QString &address)
{
    const quint32 host = HostNumber(address);
    const QString id = QStringLiteral("%1").arg(host, kIdDigits, kDecimal, QLatin1Char('0'));
    CSimPlayerConfig config;
    config.m_strAddress = address;
    config.m_strModel = QStringLiteral("KS-210");
    config.m_strName = QStringLiteral("Player %1").arg(host);
    config.m_strUdn = QStringLiteral("uuid:kestavon-") + id;
    CSimPlayerState &state = config.m_state;
    state.m_strDeviceName = config.m_strName;
    state.m_strLanIp = address;
    state.m_strWifiIp = QStringLiteral("0.0.0.0");
    state.m_strLanMac = Mac(0, host);
    state.m_strWifiMac = Mac(1, host);
    state.m_strFirmVersion = QStringLiteral("1.0.0");
    state.m_strSerialNumber = QStringLiteral("KS210") + id;
    state.m_accessPoints = {
        AccessPoint(QStringLiteral("Kestavon Home"), QStringLiteral("WPA2"), kHomeQuality, true),
        AccessPoint(QStringLiteral("Neighbour"), QStringLiteral("WEP"), kNeighbourQuality, false)};
    state.m_lanSetup = Dhcp(address);
    state.m_wifiSetup = Dhcp(QStringLiteral("0.0.0.0"));
    return config;
}

bool CSimPlayerConfig::IsPlayerAddress(const QString &address)
{
    QHostAddress parsed;
    if (!parsed.setAddress(address) || parsed.protocol() != QAbstractSocket::IPv4Protocol)
        return false;
    const quint32 ip = parsed.toIPv4Address();
    const quint32 host = ip & kHostMask;
    return (ip & ~kHostMask) == kPlayerNetwork && host >= kFirstHost && host <= kLastHost &&
           parsed.toString() == address;
}
