#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QtGlobal>

// An IPv4 network given as ADDRESS/PREFIX whose host addresses a sweep probes,
// one each, in address order. Large networks are refused: one probe per
// address of a /16 would flood the link and still find nobody in time.
class CSweepRange
{
public:
    // A /20 holds 4096 addresses; anything wider is refused.
    static constexpr int MAX_ADDRESSES = 4096;
    static constexpr int MIN_PREFIX = 20;
    static constexpr int MAX_PREFIX = 32;

    // None, with *error saying what is wrong, when text is not a network
    // this tool sweeps.
    static std::optional<CSweepRange> Parse(const QString &text, QString *error);
    // The smallest network whose host addresses include every one of
    // addresses; none when that is wider than MAX_ADDRESSES or the list is empty.
    static std::optional<CSweepRange> Covering(const QList<quint32> &addresses);

    // The host addresses: without the network and broadcast addresses,
    // except on /31 and /32, which have none to spare.
    QList<quint32> Hosts() const;
    // "ADDRESS/PREFIX" with the host bits cleared.
    QString Text() const;
    quint32 Network() const { return m_network; }
    int PrefixLength() const { return m_prefix; }

    bool operator==(const CSweepRange &) const = default;

private:
    CSweepRange(quint32 network, int prefix) : m_network(network), m_prefix(prefix) {}

    quint32 m_network = 0;
    int m_prefix = MAX_PREFIX;
};
