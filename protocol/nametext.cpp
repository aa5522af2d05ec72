#include "nametext.h"

#include <QStringView>

namespace {

constexpr char32_t LAST_C0 = 0x1F;
constexpr char32_t DEL = 0x7F;
constexpr char32_t FIRST_C1 = 0x80;
constexpr char32_t LAST_C1 = 0x9F;
constexpr int CODE_POINT_DIGITS = 4;
constexpr int HEX = 16;

} // namespace

bool CNameText::IsControl(char32_t c)
{
    return c <= LAST_C0 || c == DEL || (c >= FIRST_C1 && c <= LAST_C1);
}

QString CNameText::DeviceNameProblem(const QString &text)
{
    return Problem(text, MAX_DEVICE_NAME_BYTES);
}

QString CNameText::EssidProblem(const QString &text)
{
    return Problem(text, MAX_ESSID_BYTES);
}

QString CNameText::Problem(const QString &text, qsizetype maxBytes)
{
    // Control characters are all below U+0100, so code units are enough.
    for (const QChar c : text) {
        if (IsControl(c.unicode()))
            return QStringLiteral("holds a control character (U+%1)")
                .arg(QString::number(c.unicode(), HEX)
                         .toUpper()
                         .rightJustified(CODE_POINT_DIGITS, QLatin1Char('0')));
    }
    const qsizetype bytes = text.toUtf8().size();
    if (bytes > maxBytes)
        return QStringLiteral("is %1 bytes long (UTF-8); a player keeps at most %2")
            .arg(bytes)
            .arg(maxBytes);
    return {};
}
