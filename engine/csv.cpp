#include "csv.h"

namespace {

const QLatin1String RECORD_END("\r\n");
constexpr QChar QUOTE = u'"';
constexpr QChar COMMA = u',';
constexpr QChar CR = u'\r';
constexpr QChar LF = u'\n';
constexpr QChar TEXT_MARK = u'\'';
// What makes a spreadsheet read a cell as a formula. Numbers are not
// excepted: "-1+1" and "-2+3+cmd|' /C calc'!A0" begin like a number too.
const QString FORMULA_STARTS = QStringLiteral("=+-@\t\r");

} // namespace

QString CCsv::Record(const QStringList &fields)
{
    QStringList quoted;
    for (const QString &field : fields)
        quoted.append(Field(field));
    return quoted.join(COMMA) + RECORD_END;
}

QString CCsv::Field(const QString &value)
{
    const bool formula = !value.isEmpty() && FORMULA_STARTS.contains(value.front());
    const QString field = formula ? TEXT_MARK + value : value;
    const bool plain = !field.contains(COMMA) && !field.contains(QUOTE) && !field.contains(CR) &&
                       !field.contains(LF);
    if (plain)
        return field;
    QString escaped = field;
    escaped.replace(QUOTE, QStringLiteral("\"\""));
    return QUOTE + escaped + QUOTE;
}

std::optional<QList<QStringList>> CCsv::Parse(const QString &text, QString *error)
{
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;    // inside a quoted field
    bool wasQuoted = false; // the current field was quoted and has ended
    int line = 1;
    const auto fail = [&](const QString &what) {
        if (error)
            *error = QStringLiteral("line %1: %2").arg(line).arg(what);
        return std::nullopt;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QUOTE && i + 1 < text.size() && text.at(i + 1) == QUOTE) {
                field += QUOTE;
                ++i;
            } else if (c == QUOTE) {
                quoted = false;
                wasQuoted = true;
            } else {
                line += c == LF ? 1 : 0;
                field += c;
            }
            continue;
        }
        if (c == COMMA) {
            record.append(field);
            field.clear();
            wasQuoted = false;
        } else if (c == LF || (c == CR && i + 1 < text.size() && text.at(i + 1) == LF)) {
            i += c == CR ? 1 : 0;
            record.append(field);
            records.append(record);
            record.clear();
            field.clear();
            wasQuoted = false;
            ++line;
        } else if (c == QUOTE) {
            if (!field.isEmpty() || wasQuoted)
                return fail(QStringLiteral("a quote inside an unquoted field"));
            quoted = true;
        } else {
            if (wasQuoted)
                return fail(QStringLiteral("text after a closing quote"));
            field += c;
        }
    }
    if (quoted)
        return fail(QStringLiteral("a quoted field is not closed"));
    if (!field.isEmpty() || wasQuoted || !record.isEmpty()) {
        record.append(field);
        records.append(record);
    }
    return records;
}
