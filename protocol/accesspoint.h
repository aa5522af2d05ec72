// CAccessPoint: one Wi-Fi network as the player reports it.
#pragma once

#include <utility>

#include <QString>

// One Wi-Fi network as the player reports it; every field is the text received,
// unchanged and unchecked. A field the reply did not carry is empty.
class CAccessPoint
{
public:
    CAccessPoint() = default;
    CAccessPoint(QString essid, QString encryptionkey, QString quality, QString connected,
                 QString saved)
        : essid(std::move(essid)), encryptionkey(std::move(encryptionkey)),
          quality(std::move(quality)), connected(std::move(connected)), saved(std::move(saved))
    {}
    virtual ~CAccessPoint() = default;

    friend bool operator==(const CAccessPoint &, const CAccessPoint &) = default;

    QString essid;
    QString encryptionkey;
    QString quality;
    QString connected;
    QString saved;
};
