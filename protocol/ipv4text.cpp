#include "ipv4text.h"

namespace {

constexpr int PARTS = 4;
constexpr int MAX_DIGITS = 3;
constexpr int MAX_OCTET = 255;
constexpr int BITS_PER_PART = 8;

} // namespace

std::optional<quint32> CIpv4Text::ToNumber(const QString &text)
{
    quint32 number = 0;
    qsizetype pos = 0;
    for (int part = 0; part < PARTS; ++part) {
        if (part > 0) {
            if (pos >= text.size() || text.at(pos) != QLatin1Char('.'))
                return std::nullopt;
            ++pos;
        }
        const qsizetype start = pos;
        int value = 0;
        while (pos < text.size() && pos - start < MAX_DIGITS + 1) {
            const char16_t c = text.at(pos).unicode();
            if (c < u'0' || c > u'9')
                break;
            value = value * 10 + (c - u'0');
            ++pos;
        }
        const qsizetype digits = pos - start;
        if (digits == 0 || digits > MAX_DIGITS || value > MAX_OCTET)
            return std::nullopt;
        if (digits > 1 && text.at(start) == QLatin1Char('0'))
            return std::nullopt;
        number = (number << BITS_PER_PART) | static_cast<quint32>(value);
    }
    if (pos != text.size())
        return std::nullopt;
    return number;
}

bool CIpv4Text::IsAddress(const QString &text)
{
    return ToNumber(text).has_value();
}

bool CIpv4Text::IsMask(const QString &text)
{
    const std::optional<quint32> mask = ToNumber(text);
    if (!mask)
        return false;
    // Contiguous from the top: the inverted mask plus one is a power of two.
    const quint32 hostBits = ~*mask;
    return (hostBits & (hostBits + 1)) == 0;
}
