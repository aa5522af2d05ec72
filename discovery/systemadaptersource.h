#pragma once

#include <QByteArray>
#include <QString>

#include "adaptersource.h"

class QNetworkInterface;

// The host's interfaces as QNetworkInterface reports them.
class CSystemAdapterSource : public CAdapterSource
{
public:
    QList<Record> Interfaces() const override;

    // "00:1A:2B:3C:4D:5E" → the six bytes; empty text → no bytes.
    static QByteArray HardwareBytes(const QString &text);

private:
    static Record ToRecord(const QNetworkInterface &iface);
    static QString Description(const QNetworkInterface &iface);
    static QString InterfaceAlias(const QString &name);
};
