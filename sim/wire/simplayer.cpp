#include "simplayer.h"

#include <QNetworkProxy>
#include <QTcpSocket>

#include "simannouncementbuilder.h"
#include "simannouncer.h"
#include "simcommandconnection.h"
#include "simcommandhandler.h"
#include "simdownloader.h"
#include "simlimits.h"
#include "simregistry.h"

CSimPlayer::CSimPlayer(CSimRegistry &registry, const QString &address, QObject *parent)
    : QObject(parent), m_registry(registry), m_strAddress(address), m_address(address),
      m_web(registry, address, this)
{
    m_backTimer.setSingleShot(true);
    m_retryTimer.setSingleShot(true);
    connect(&m_backTimer, &QTimer::timeout, this, &CSimPlayer::ComeBack);
    connect(&m_retryTimer, &QTimer::timeout, this, &CSimPlayer::RetryListen);
    m_commandServer.setProxy(QNetworkProxy::NoProxy);
    connect(&m_commandServer, &QTcpServer::newConnection, this, &CSimPlayer::Accept);
}

bool CSimPlayer::Start(QString *error)
{
    if (ShouldListen() && !Listen(error))
        return false;
    return m_web.Listen(error);
}

void CSimPlayer::ApplyListening()
{
    if (!ShouldListen()) {
        m_retryTimer.stop();
        m_commandServer.close();
        return;
    }
    if (!Listen(nullptr)) {
        m_retriesLeft = SimLimits::kRelistenAttempts;
        m_retryTimer.start(SimLimits::kRelistenRetryMs);
    }
}

void CSimPlayer::OnProbe(bool valid, const QHostAddress &sender)
{
    if (!m_reachable)
        return; // a player that is rebooting hears nothing
    m_registry.Update(m_strAddress, [valid](CSimPlayerRecord &record) {
        ++(valid ? record.m_probes : record.m_invalidProbes);
    });
    // Announcements go only to loopback: the simulator never reaches off this host.
    if (valid && sender.isLoopback())
        Announce(sender);
}

bool CSimPlayer::ShouldListen() const
{
    return m_reachable && !m_registry.HasFault(m_strAddress, CSimFault::EKind::Refuse);
}

bool CSimPlayer::Listen(QString *error)
{
    if (m_commandServer.isListening() || m_commandServer.listen(m_address, SimLimits::kCommandPort))
        return true;
    if (error)
        *error = m_commandServer.errorString();
    return false;
}

void CSimPlayer::RetryListen()
{
    if (!ShouldListen() || Listen(nullptr) || --m_retriesLeft <= 0)
        return;
    m_retryTimer.start(SimLimits::kRelistenRetryMs);
}

void CSimPlayer::Accept()
{
    while (QTcpSocket *socket = m_commandServer.nextPendingConnection()) {
        if (m_commandConnections >= SimLimits::kMaxCommandConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_commandConnections;
        auto *connection = new CSimCommandConnection(
            socket, m_registry, m_strAddress,
            [this](const CSimCommandOutcome &outcome) { Act(outcome); }, this);
        connect(connection, &QObject::destroyed, this, [this] { --m_commandConnections; });
    }
}

void CSimPlayer::Act(const CSimCommandOutcome &outcome)
{
    if (outcome.m_action == CSimCommandOutcome::EAction::GoUnreachable)
        GoUnreachable();
    else if (outcome.m_action == CSimCommandOutcome::EAction::Download)
        Download(outcome.m_strDownloadIp);
}

void CSimPlayer::GoUnreachable()
{
    SetReachable(false);
    ApplyListening();
    m_web.Close();
    m_backTimer.start(qMax(0, m_registry.UnreachableMs()));
}

// A static LAN address applies from the next start, as on a real player; a
// DHCP set-up gets the starting address back, the one "the DHCP server" gave.
// Only loopback host addresses: the simulator never binds anything else.
QHostAddress CSimPlayer::AddressAfterReboot() const
{
    const CSimNetSetup lan = m_registry.Read(
        m_strAddress, [](const CSimPlayerRecord &r) { return r.m_state.m_lanSetup; });
    if (lan.m_strSetupMode != QLatin1String("STATIC"))
        return QHostAddress(m_strAddress);
    QHostAddress wanted;
    const quint32 host = wanted.setAddress(lan.m_strIpAddress) ? wanted.toIPv4Address() : 0;
    constexpr quint32 kLoopbackNet = 0x7F000000;
    constexpr quint32 kNetMask = 0xFF000000;
    constexpr quint32 kLoopbackBroadcast = 0x7FFFFFFF;
    const bool usable = wanted.protocol() == QAbstractSocket::IPv4Protocol &&
                        (host & kNetMask) == kLoopbackNet && host != kLoopbackNet &&
                        host != kLoopbackBroadcast;
    return usable ? wanted : m_address;
}

void CSimPlayer::MoveTo(const QHostAddress &address)
{
    if (address == m_address)
        return;
    // Another player there: the address stays as it was, like a conflict a
    // real player would detect.
    if (!m_claim || !m_claim(m_address, address)) {
        qWarning("player %s: %s is taken, staying at %s", qPrintable(m_strAddress),
                 qPrintable(address.toString()), qPrintable(m_address.toString()));
        return;
    }
    m_address = address;
    m_web.SetBindAddress(address);
    const QString text = address.toString();
    m_registry.Update(m_strAddress, [&text](CSimPlayerRecord &record) {
        record.m_strAddress = text;
        record.m_state.m_strLanIp = text;
    });
}

void CSimPlayer::ComeBack()
{
    MoveTo(AddressAfterReboot());
    m_reachable = true;
    ApplyListening();
    QString error;
    if (!m_web.Listen(&error))
        qWarning("player %s: web page not back: %s", qPrintable(m_strAddress), qPrintable(error));
    // Published last, so whoever sees the player reachable finds its ports open.
    SetReachable(true);
}

void CSimPlayer::Announce(const QHostAddress &prober)
{
    if (m_announcements >= SimLimits::kMaxAnnouncements)
        return;
    const QList<CSimFault> faults =
        m_registry.TakeFaults(m_strAddress, CSimFault::EService::Announce, {});
    const CSimDelivery delivery = m_registry.Read(m_strAddress, [&](const CSimPlayerRecord &r) {
        return CSimAnnouncementBuilder(faults).Build(r.m_strModel, r.m_state.m_strDeviceName,
                                                     r.m_strAddress, r.m_strUdn);
    });
    ++m_announcements;
    auto *announcer = new CSimAnnouncer(m_address, prober, delivery, this);
    connect(announcer, &QObject::destroyed, this, [this] { --m_announcements; });
    announcer->Start();
}

void CSimPlayer::Download(const QString &server)
{
    if (m_downloads >= SimLimits::kMaxDownloads)
        return;
    const QList<CSimFault> faults =
        m_registry.TakeFaults(m_strAddress, CSimFault::EService::Download, {});
    ++m_downloads;
    auto *downloader =
        new CSimDownloader(m_registry, m_strAddress, m_address, QHostAddress(server), faults, this);
    connect(downloader, &QObject::destroyed, this, [this] { --m_downloads; });
    connect(downloader, &CSimDownloader::Installed, this, &CSimPlayer::GoUnreachable);
    downloader->Start();
}

void CSimPlayer::SetReachable(bool reachable)
{
    m_reachable = reachable;
    m_registry.Update(m_strAddress,
                      [reachable](CSimPlayerRecord &record) { record.m_reachable = reachable; });
}
