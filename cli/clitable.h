#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A plain text table: a header line and rows, each column as wide as its
// widest cell, columns two spaces apart. Cells are shown escaped and cut
// (CCliText::Cell): a cell can neither command the terminal nor widen the
// table without bound.
class CCliTable
{
public:
    explicit CCliTable(QStringList header, QString indent = {});

    void AddRow(const QStringList &row);
    QString Text() const;

private:
    QString Line(const QStringList &cells, const QList<qsizetype> &widths) const;

    QStringList m_header;
    QString m_strIndent;
    QList<QStringList> m_rows;
};
