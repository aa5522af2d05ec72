#include "clitext.h"

#include "nametext.h"

namespace {

constexpr char32_t DEL = 0x7F;
constexpr char32_t LAST_LATIN1 = 0xFF;
constexpr int BYTE_DIGITS = 2;
constexpr int UNIT_DIGITS = 4;
constexpr int HEX = 16;
const QChar ELLIPSIS(0x2026);

// Characters that change the order in which the text around them is shown,
// so "txt.exe" can be made to read "exe.txt".
constexpr char32_t ARABIC_LETTER_MARK = 0x061C;
constexpr char32_t LEFT_TO_RIGHT_MARK = 0x200E;
constexpr char32_t RIGHT_TO_LEFT_MARK = 0x200F;
constexpr char32_t FIRST_EMBEDDING = 0x202A; // LRE, RLE, PDF, LRO, RLO
constexpr char32_t LAST_EMBEDDING = 0x202E;
constexpr char32_t FIRST_ISOLATE = 0x2066; // LRI, RLI, FSI, PDI
constexpr char32_t LAST_ISOLATE = 0x2069;
// Some viewers start a new line at these.
constexpr char32_t LINE_SEPARATOR = 0x2028;
constexpr char32_t PARAGRAPH_SEPARATOR = 0x2029;

bool IsHidden(char32_t c)
{
    return CNameText::IsControl(c) || c == ARABIC_LETTER_MARK || c == LEFT_TO_RIGHT_MARK ||
           c == RIGHT_TO_LEFT_MARK || (c >= FIRST_EMBEDDING && c <= LAST_EMBEDDING) ||
           (c >= FIRST_ISOLATE && c <= LAST_ISOLATE) || c == LINE_SEPARATOR ||
           c == PARAGRAPH_SEPARATOR;
}

QString Shown(char32_t c)
{
    const bool byte = c <= LAST_LATIN1;
    return (byte ? QStringLiteral("\\x") : QStringLiteral("\\u")) +
           QString::number(c, HEX).rightJustified(byte ? BYTE_DIGITS : UNIT_DIGITS,
                                                  QLatin1Char('0'));
}

struct CPiece
{
    QString text;
    qsizetype units; // code units taken from the input
};

// The shown form of the code point that starts at text[i].
CPiece PieceAt(const QString &text, qsizetype i)
{
    const QChar c = text.at(i);
    if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
        return {text.mid(i, 2), 2};
    // A surrogate without its partner cannot be encoded as it stands.
    if (c.isSurrogate() || IsHidden(c.unicode()))
        return {Shown(c.unicode()), 1};
    return {QString(c), 1};
}

} // namespace

QString CCliText::Escaped(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const CPiece piece = PieceAt(text, i);
        escaped += piece.text;
        i += piece.units;
    }
    return escaped;
}

QString CCliText::JsonEscaped(const QString &json)
{
    QString escaped;
    escaped.reserve(json.size());
    for (qsizetype i = 0; i < json.size();) {
        const QChar c = json.at(i);
        const bool pair =
            c.isHighSurrogate() && i + 1 < json.size() && json.at(i + 1).isLowSurrogate();
        if (pair) {
            escaped += json.mid(i, 2);
            i += 2;
            continue;
        }
        // Below DEL the writer has escaped all it must; what is left raw
        // there is the document's own layout.
        if (c.isSurrogate() || (c.unicode() >= DEL && IsHidden(c.unicode())))
            escaped +=
                QStringLiteral("\\u") +
                QString::number(c.unicode(), HEX).rightJustified(UNIT_DIGITS, QLatin1Char('0'));
        else
            escaped += c;
        ++i;
    }
    return escaped;
}

QString CCliText::Cell(const QString &text, qsizetype width)
{
    // Cut while escaping: an escaped 60 KB name is never built whole.
    QString cell;
    for (qsizetype i = 0; i < text.size();) {
        const CPiece piece = PieceAt(text, i);
        const bool last = i + piece.units == text.size();
        // Room is kept for the ellipsis unless this piece ends the text.
        const qsizetype room = last ? width : width - 1;
        if (cell.size() + piece.text.size() > room)
            return cell + ELLIPSIS;
        cell += piece.text;
        i += piece.units;
    }
    return cell;
}
