// CDevice: the selected player's data, fields named after the XML elements.
#pragma once

#include <QString>

// The data of the selected player. Every selection starts from an empty
// record, so a field shows only what the selected player itself answered; a
// field no reply carried stays empty.
class CDevice
{
public:
    virtual ~CDevice() = default;

    QString devicename;
    QString ip;           // target of every device command
    qint32 wifionoff = 0; // 1 when the player reported "ON"
    QString lanip;
    QString wifiip;
    QString lanmac;
    QString wifimac;
    QString firmversion;
    QString serialnumber;
    QString setupmode; // of whichever interface was fetched last
    QString lanIpaddress;
    QString lanSubnetmask;
    QString lanDefaultgateway;
    QString lanPrimarydns;
    QString lanSeconddns;
    QString wifiIpaddress;
    QString wifiSubnetmask;
    QString wifiDefaultgateway;
    QString wifiPrimarydns;
    QString wifiSeconddns;
};
