#include "sweeprange.h"

#include <algorithm>

#include <QHostAddress>

#include "ipv4text.h"

namespace {

constexpr int ADDRESS_BITS = 32;
// Below this prefix a network has a network and a broadcast address to skip.
constexpr int POINT_TO_POINT_PREFIX = 31;

quint32 MaskOf(int prefix)
{
    return prefix == 0 ? 0 : ~quint32(0) << (ADDRESS_BITS - prefix);
}

bool Fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

std::optional<CSweepRange> CSweepRange::Parse(const QString &text, QString *error)
{
    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    const QString address = slash < 0 ? text : text.left(slash);
    const QString prefixText = slash < 0 ? QString() : text.mid(slash + 1);
    const std::optional<quint32> number = CIpv4Text::ToNumber(address);
    if (!number) {
        Fail(error, QStringLiteral("'%1' is not an IPv4 network such as 192.168.1.0/24").arg(text));
        return std::nullopt;
    }
    bool ok = false;
    const int prefix = prefixText.toInt(&ok);
    // Digits only: toInt would also take a sign or spaces.
    const bool digits =
        !prefixText.isEmpty() && prefixText.size() <= 2 &&
        std::all_of(prefixText.cbegin(), prefixText.cend(), [](QChar c) { return c.isDigit(); });
    if (!ok || !digits || prefix > MAX_PREFIX) {
        Fail(error, QStringLiteral("'%1' is not an IPv4 network such as 192.168.1.0/24").arg(text));
        return std::nullopt;
    }
    if (prefix < MIN_PREFIX) {
        Fail(error, QStringLiteral("'%1' holds more than %2 addresses (use /%3 or longer)")
                        .arg(text)
                        .arg(MAX_ADDRESSES)
                        .arg(MIN_PREFIX));
        return std::nullopt;
    }
    return CSweepRange(*number & MaskOf(prefix), prefix);
}

std::optional<CSweepRange> CSweepRange::Covering(const QList<quint32> &addresses)
{
    if (addresses.isEmpty())
        return std::nullopt;
    const auto [low, high] = std::minmax_element(addresses.cbegin(), addresses.cend());
    for (int prefix = MAX_PREFIX; prefix >= MIN_PREFIX; --prefix) {
        if ((*low & MaskOf(prefix)) != (*high & MaskOf(prefix)))
            continue;
        const CSweepRange range(*low & MaskOf(prefix), prefix);
        // An address that is the network's own or its broadcast is not swept.
        const QList<quint32> hosts = range.Hosts();
        if (std::all_of(addresses.cbegin(), addresses.cend(),
                        [&hosts](quint32 address) { return hosts.contains(address); }))
            return range;
    }
    return std::nullopt;
}

QList<quint32> CSweepRange::Hosts() const
{
    const quint32 count = quint32(1) << (ADDRESS_BITS - m_prefix);
    quint32 first = m_network;
    quint32 last = m_network + (count - 1);
    if (m_prefix < POINT_TO_POINT_PREFIX) {
        ++first;
        --last;
    }
    QList<quint32> hosts;
    hosts.reserve(qsizetype(last - first + 1));
    for (quint32 host = first; host <= last && host >= first; ++host)
        hosts.append(host);
    return hosts;
}

QString CSweepRange::Text() const
{
    return QStringLiteral("%1/%2").arg(QHostAddress(m_network).toString()).arg(m_prefix);
}
