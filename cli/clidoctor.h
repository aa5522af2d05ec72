#pragma once

#include <QJsonArray>
#include <QList>
#include <QString>

#include "clidoctorfinding.h"
#include "clifirewall.h"

// What stands between this computer and its players: the adapters and the
// networks they sweep, the two TCP ports players connect to, the local
// firewall, and a self-test announcement through the discovery endpoint.
class CCliDoctor
{
public:
    explicit CCliDoctor(CCliFirewall::Runner runner) : m_runner(std::move(runner)) {}

    QList<CCliDoctorFinding> Run() const;

    static QJsonArray Json(const QList<CCliDoctorFinding> &findings);
    static QString Text(const QList<CCliDoctorFinding> &findings);

private:
    static QList<CCliDoctorFinding> Adapters(QString &firstIp);
    static CCliDoctorFinding Port(quint16 port, const QString &use);
    static CCliDoctorFinding SelfTest(const QString &localIp);

    CCliFirewall::Runner m_runner;
};
