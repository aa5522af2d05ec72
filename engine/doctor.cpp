#include "doctor.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include "portholder.h"
#include "devicediscover.h"
#include "ipv4text.h"
#include "networkchecker.h"
#include "setupmanager.h"
#include "updatelistener.h"

namespace {

// The self-test's announcement travels inside this computer; a second is plenty.
constexpr int SELF_TEST_MS = 3000;
constexpr int POLL_MS = 50;
constexpr int SWEEP_PREFIX = 24;

QString SweptNetwork(const QString &ip)
{
    const std::optional<quint32> number = CIpv4Text::ToNumber(ip);
    if (!number)
        return ip;
    const quint32 mask = ~quint32(0) << (32 - SWEEP_PREFIX);
    return QStringLiteral("%1/%2").arg(QHostAddress(*number & mask).toString()).arg(SWEEP_PREFIX);
}

} // namespace

QList<CDoctorFinding> CDoctor::Run() const
{
    QString firstIp;
    QList<CDoctorFinding> findings = Adapters(firstIp);
    const CDoctorFinding announce =
        Port(CDeviceDiscover::ANNOUNCE_PORT, QStringLiteral("announcements"));
    findings.append(announce);
    findings.append(Port(CUpdateListener::UPDATE_PORT, QStringLiteral("firmware downloads")));
    findings.append(CFirewallCheck::Check(m_runner));
    if (firstIp.isEmpty() || !announce.m_bOk)
        findings.append(
            CDoctorFinding::Problem(QStringLiteral("self-test"),
                                    QStringLiteral("not run: no adapter, or TCP 10014 is not free"),
                                    QStringLiteral("clear the problems above")));
    else
        findings.append(SelfTest(firstIp));
    return findings;
}

QList<CDoctorFinding> CDoctor::Adapters(QString &firstIp)
{
    CNetworkChecker checker;
    checker.EnumerateAdapters();
    QList<CDoctorFinding> findings;
    for (const CAdapterInfo &adapter : checker.Adapters()) {
        if (firstIp.isEmpty())
            firstIp = adapter.IpAddress();
        findings.append(CDoctorFinding::Ok(
            QStringLiteral("adapter %1").arg(adapter.Description()),
            QStringLiteral("%1 mask %2, sweeps %3")
                .arg(adapter.IpAddress(), adapter.IpMask(), SweptNetwork(adapter.IpAddress()))));
    }
    if (findings.isEmpty())
        findings.append(CDoctorFinding::Problem(
            QStringLiteral("adapters"), QStringLiteral("this computer has no IPv4 adapter"),
            QStringLiteral("connect it to the players' network")));
    return findings;
}

CDoctorFinding CDoctor::Port(quint16 port, const QString &use)
{
    const QString check = QStringLiteral("TCP %1").arg(port);
    QTcpServer server;
    server.setProxy(QNetworkProxy::NoProxy);
    if (server.listen(QHostAddress::AnyIPv4, port))
        return CDoctorFinding::Ok(check, QStringLiteral("free, for %1").arg(use));
    const QString holder = CPortHolder::Find(port);
    if (holder.isEmpty())
        return CDoctorFinding::Problem(
            check,
            QStringLiteral("cannot be bound (%1); another user's program may hold it")
                .arg(server.errorString()),
            QStringLiteral("find it with 'ss -ltnp sport = :%1' as root and end it").arg(port));
    const QString program = holder.section(u' ', 0, 0);
    const bool desktopTool = program.startsWith(QLatin1String("kestavon-setup"));
    return CDoctorFinding::Problem(
        check,
        QStringLiteral("held by %1%2")
            .arg(holder, desktopTool ? QStringLiteral(": Kestavon Setup is running") : QString()),
        QStringLiteral("close %1").arg(desktopTool ? QStringLiteral("Kestavon Setup") : program));
}

// An announcement as a player sends it, to this computer's own discovery:
// it shows that the endpoint listens and that the list takes it in.
CDoctorFinding CDoctor::SelfTest(const QString &localIp)
{
    const QString check = QStringLiteral("self-test");
    CSetupManager manager;
    manager.StartDiscovery();
    manager.ChooseLocalIp(localIp);
    if (!manager.IsDiscoveryListening())
        return CDoctorFinding::Problem(check, QStringLiteral("discovery does not listen"),
                                       QStringLiteral("clear the problems above"));
    const QString udn =
        QStringLiteral("uuid:kestavon-doctor-%1").arg(QCoreApplication::applicationPid());
    const QByteArray announcement =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><deviceInfo>"
                       "<model>KS-DOCTOR</model><name>doctor self-test</name>"
                       "<ip>%1</ip><udn>%2</udn></deviceInfo>")
            .arg(localIp, udn)
            .toUtf8();
    QTcpSocket socket;
    socket.setProxy(QNetworkProxy::NoProxy);
    // Discovery takes an announcement only from the address it names.
    socket.bind(QHostAddress(localIp), 0);
    socket.connectToHost(QHostAddress(localIp), CDeviceDiscover::ANNOUNCE_PORT);
    if (!socket.waitForConnected(SELF_TEST_MS))
        return CDoctorFinding::Problem(
            check,
            QStringLiteral("cannot connect to %1:10014: %2").arg(localIp, socket.errorString()),
            QStringLiteral("let TCP 10014 in (see the firewall lines above)"));
    socket.write(announcement);
    socket.waitForBytesWritten(SELF_TEST_MS);
    socket.disconnectFromHost();
    const QDeadlineTimer deadline(SELF_TEST_MS);
    while (!deadline.hasExpired()) {
        for (const CDeviceSummary &device : manager.GetDevices()) {
            if (device.udn == udn)
                return CDoctorFinding::Ok(
                    check, QStringLiteral("an announcement to %1:10014 was received").arg(localIp));
        }
        QEventLoop loop;
        QTimer::singleShot(POLL_MS, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return CDoctorFinding::Problem(
        check, QStringLiteral("an announcement to %1:10014 was not taken in").arg(localIp),
        QStringLiteral("run 'kestavon-cli discover' to see whether players are found"));
}
