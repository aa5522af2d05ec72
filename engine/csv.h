#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

// Comma-separated values as spreadsheets exchange them: records end with
// CRLF, a field holding a comma, a quote or a line break is quoted, a quote
// inside is doubled. A field that a spreadsheet would take as a formula
// (it begins with =, +, -, @, a tab or a carriage return) is written with a
// leading ' so that it is shown as text, never run.
class CCsv
{
public:
    static QString Record(const QStringList &fields);
    // Every record of text; nullopt with *error set (naming the line) when a
    // quoted field is not closed or a quote stands inside an unquoted field.
    // A line ending in LF alone is accepted too, as editors write them.
    static std::optional<QList<QStringList>> Parse(const QString &text, QString *error);

private:
    static QString Field(const QString &value);
};
