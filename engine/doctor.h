#pragma once

#include <QList>
#include <QString>

#include "doctorfinding.h"
#include "firewallcheck.h"

// What stands between this computer and its players: the adapters and the
// networks they sweep, the two TCP ports players connect to, the local
// firewall, and a self-test announcement through the discovery endpoint.
class CDoctor
{
public:
    explicit CDoctor(CFirewallCheck::Runner runner) : m_runner(std::move(runner)) {}

    QList<CDoctorFinding> Run() const;

private:
    static QList<CDoctorFinding> Adapters(QString &firstIp);
    static CDoctorFinding Port(quint16 port, const QString &use);
    static CDoctorFinding SelfTest(const QString &localIp);

    CFirewallCheck::Runner m_runner;
};
