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
    if (!problem.isEmpty()) {
        if (error)
            *error = problem;
        return std::nullopt;
    }
    const quint32 mask = ~quint32(0) << (ADDRESS_BITS - prefix);
    return CSweepRange(*address & mask, prefix);
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
