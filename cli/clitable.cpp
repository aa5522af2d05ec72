#include "clitable.h"

#include "clitext.h"

namespace {

const QLatin1String COLUMN_GAP("  ");

} // namespace

CCliTable::CCliTable(QStringList header, QString indent) : m_strIndent(std::move(indent))
{
    for (const QString &cell : header)
        m_header.append(CCliText::Cell(cell));
}

void CCliTable::AddRow(const QStringList &row)
{
    QStringList cells;
    for (const QString &cell : row)
        cells.append(CCliText::Cell(cell));
    m_rows.append(cells);
}

QString CCliTable::Text() const
{
    QList<qsizetype> widths;
    for (const QString &cell : m_header)
        widths.append(cell.size());
    for (const QStringList &row : m_rows) {
        for (qsizetype i = 0; i < row.size() && i < widths.size(); ++i)
            widths[i] = std::max(widths.at(i), row.at(i).size());
    }
    QString text = Line(m_header, widths);
    for (const QStringList &row : m_rows)
        text += Line(row, widths);
    return text;
}

QString CCliTable::Line(const QStringList &cells, const QList<qsizetype> &widths) const
{
    QString line = m_strIndent;
    for (qsizetype i = 0; i < widths.size(); ++i) {
        const QString cell = cells.value(i);
        const bool last = i + 1 == widths.size();
        line += last ? cell : cell.leftJustified(widths.at(i)) + COLUMN_GAP;
    }
    return line + QLatin1Char('\n');
}
