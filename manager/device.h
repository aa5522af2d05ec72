// CDevice: the selected player's data, fields named after the XML elements.
#pragma once

#include <QString>

// The data of the selected player. Never reset as a whole: each field keeps its
// last value until a reply or a selection overwrites it.
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
