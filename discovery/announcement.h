#pragma once

#include <optional>

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// One player's announcement: the four values it sends about itself.
class CAnnouncement
{
public:
    QString model;
    QString name;
    QString ip;
    QString udn;

    bool operator==(const CAnnouncement &) const = default;

    // Turns the bytes of one announcement into its record, or nothing when
    // they are not one well-formed document, lack any of model, name, ip and
    // udn, or give an ip that is not a plain dotted IPv4 address (an address
    // is how the tool reaches and tells players apart, so it must name
    // exactly one host). Pure: no threads, sockets or shared state.
    static std::optional<CAnnouncement> ParseDeviceInfo(const QByteArray &bytes);

    // Whether ip names the host the announcement came from (host order). A
    // player speaks only for itself: a host that names a third address would
    // have the tool send that address what it sends players, Wi-Fi passwords
    // included.
    bool CameFrom(quint32 peer) const;
};
