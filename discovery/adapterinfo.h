// CAdapterInfo: one adapter: description, MAC, addresses and masks.
#pragma once

#include <QString>

// One local IPv4 network adapter as the adapter list shows it.
class CAdapterInfo
{
public:
    CAdapterInfo(QString description, QString adapterName, QString macAddress, QString ipAddress,
                 QString ipMask);

    const QString &Description() const { return m_strDescription; }
    const QString &AdapterName() const { return m_strAdapterName; }
    // Hardware address bytes as lower-case hex pairs joined by hyphens; empty
    // when the interface has none.
    const QString &MacAddress() const { return m_strMacAddress; }
    const QString &IpAddress() const { return m_strIpAddress; }
    const QString &IpMask() const { return m_strIpMask; }

private:
    QString m_strDescription;
    QString m_strAdapterName;
    QString m_strMacAddress;
    QString m_strIpAddress;
    QString m_strIpMask;
};
