#include "sweeprange.h"

#include <algorithm>

#include <QHostAddress>

#include "ipv4text.h"

namespace {

constexpr int ADDRESS_BITS = 32;
// Below this prefix a network has a network and a broadcast address to skip.
constexpr int POINT_TO_POINT_PREFIX = 31;
// A prefix is one or two digits: toInt alone would also take a sign or spaces.
constexpr qsizetype MAX_PREFIX_DIGITS = 2;

quint32 MaskOf(int prefix)
{
    return prefix == 0 ? 0 : ~quint32(0) << (ADDRESS_BITS - prefix);
}

std::optional<int> PrefixOf(const QString &text)
{
    if (text.isEmpty() || text.size() > MAX_PREFIX_DIGITS ||
        !std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); }))
        return std::nullopt;
    return text.toInt();
}

} // namespace

std::optional<CSweepRange> CSweepRange::Parse(const QString &text, QString *error)
{
    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    const std::optional<quint32> address =
        slash < 0 ? std::nullopt : CIpv4Text::ToNumber(text.left(slash));
    const int prefix = slash < 0 ? -1 : PrefixOf(text.mid(slash + 1)).value_or(-1);
    QString problem;
    if (!address || prefix < 0 || prefix > MAX_PREFIX)
        problem = QStringLiteral("'%1' is not an IPv4 network such as 192.168.1.0/24").arg(text);
    else if (prefix < MIN_PREFIX)
        problem = QStringLiteral("'%1' holds more than %2 addresses (use /%3 or longer)")
                      .arg(text)
                      .arg(MAX_ADDRESSES)
                      .arg(MIN_PREFIX);
    else
        return CSweepRange(*address & MaskOf(prefix), prefix);
    if (error)
        *error = problem;
    return std::nullopt;
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
