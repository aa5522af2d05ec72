#pragma once

#include <QString>

// Text from players (and from other programs, such as the process names
// doctor reports) shown in a terminal: every character a terminal or a text
// viewer could take as a command or as a reordering is shown as an escape
// instead, so the text can only ever be read. JSON escapes them by itself;
// CSV keeps the full value and only defuses formulas (CCsv).
class CCliText
{
public:
    // Wide enough for a udn ("uuid:" and 36 characters) and for the core's
    // error texts; an announced name of 60 KB stays one short cell.
    static constexpr qsizetype CELL_WIDTH = 64;

    // C0, DEL and C1 control characters as \xHH (lower-case hex; a line
    // break too, so a name cannot start a line of its own), the
    // bidirectional overrides, isolates and marks (U+202A..U+202E,
    // U+2066..U+2069, U+200E, U+200F, U+061C), the line and paragraph
    // separators (U+2028, U+2029) and a lone surrogate as \uHHHH. Everything
    // else, a backslash included, is kept.
    static QString Escaped(const QString &text);
    // Escaped, then cut to at most width characters, the last an ellipsis
    // when something was left out; an escape is never cut in two.
    static QString Cell(const QString &text, qsizetype width = CELL_WIDTH);
    // A serialised JSON document with the same characters written as JSON
    // escapes (\u00HH, \uHHHH): JSON's writer escapes only those below
    // U+0020 and leaves DEL, C1 and the bidirectional controls raw. They
    // only ever stand inside strings, where an escape means the same.
    static QString JsonEscaped(const QString &json);
};
