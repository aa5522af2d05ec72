#include "systemadaptersource.h"

#include <QFile>
#include <QNetworkInterface>

namespace {

// The kernel caps an interface alias at 256 bytes; anything longer is not one.
constexpr qint64 MAX_ALIAS_BYTES = 256;

} // namespace

QList<CAdapterSource::Record> CSystemAdapterSource::Interfaces() const
{
    QList<Record> records;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : interfaces)
        records.append(ToRecord(iface));
    return records;
}

QByteArray CSystemAdapterSource::HardwareBytes(const QString &text)
{
    // fromHex skips the colon separators.
    return QByteArray::fromHex(text.toLatin1());
}

CAdapterSource::Record CSystemAdapterSource::ToRecord(const QNetworkInterface &iface)
{
    Record record;
    record.m_strName = iface.name();
    record.m_strHumanReadableName = Description(iface);
    record.m_hardwareAddress = HardwareBytes(iface.hardwareAddress());
    record.m_loopback = iface.type() == QNetworkInterface::Loopback ||
                        iface.flags().testFlag(QNetworkInterface::IsLoopBack);
    const QList<QNetworkAddressEntry> entries = iface.addressEntries();
    for (const QNetworkAddressEntry &entry : entries) {
        if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
            record.m_ipv4.append({entry.ip().toString(), entry.netmask().toString()});
    }
    return record;
}

QString CSystemAdapterSource::Description(const QNetworkInterface &iface)
{
    // On Linux Qt's human-readable name is the interface name itself; an
    // alias the administrator gave the interface says more to a user.
    const QString readable = iface.humanReadableName();
    if (!readable.isEmpty() && readable != iface.name())
        return readable;
    const QString alias = InterfaceAlias(iface.name());
    if (!alias.isEmpty())
        return alias;
    return readable.isEmpty() ? iface.name() : readable;
}

QString CSystemAdapterSource::InterfaceAlias(const QString &name)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return {};
    QFile file(QStringLiteral("/sys/class/net/%1/ifalias").arg(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.read(MAX_ALIAS_BYTES)).trimmed();
}
