#pragma once

#include <optional>

#include <QString>

// Checks of the values a command line carries, so that a wrong one is refused
// before anything goes on the wire.
class CCliValues
{
public:
    // Seconds, fractions allowed, above 0 and at most maxSeconds; in ms.
    static std::optional<int> ParseSeconds(const QString &text, int maxSeconds);
    // A whole number from 1 to maxCount.
    static std::optional<int> ParseCount(const QString &text, int maxCount);
};
