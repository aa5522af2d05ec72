#include "clivalues.h"

#include <cmath>

#include "playerrequest.h"

std::optional<int> CCliValues::ParseSeconds(const QString &text, int maxSeconds)
{
    bool ok = false;
    const double seconds = text.toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds <= 0 || seconds > maxSeconds)
        return std::nullopt;
    const int milliseconds = static_cast<int>(std::lround(seconds * CPlayerRequest::MS_PER_SECOND));
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
