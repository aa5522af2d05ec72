#include "clivalues.h"

#include <cmath>

#include <QRegularExpression>

#include "clirequest.h"

namespace {

constexpr int MAX_OCTET = 255;
constexpr int IPV4_PARTS = 4;

} // namespace

bool CCliValues::IsIpv4Address(const QString &text)
{
    // No leading zeros: some parsers read "010" as octal, others as decimal.
    static const QRegularExpression pattern(QStringLiteral(
        "^(0|[1-9][0-9]{0,2})\\.(0|[1-9][0-9]{0,2})\\.(0|[1-9][0-9]{0,2})\\.(0|[1-9][0-9]{0,2})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    for (int part = 1; part <= IPV4_PARTS; ++part) {
        if (match.captured(part).toInt() > MAX_OCTET)
            return false;
    }
    return true;
}

std::optional<int> CCliValues::ParseSeconds(const QString &text, int maxSeconds)
{
    bool ok = false;
    const double seconds = text.toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds <= 0 || seconds > maxSeconds)
        return std::nullopt;
    const int milliseconds = static_cast<int>(std::lround(seconds * CCliRequest::MS_PER_SECOND));
    return milliseconds > 0 ? std::optional<int>(milliseconds) : std::nullopt;
}

std::optional<int> CCliValues::ParseCount(const QString &text, int maxCount)
{
    bool ok = false;
    const int count = text.toInt(&ok);
    if (!ok || count < 1 || count > maxCount)
        return std::nullopt;
    return count;
}
