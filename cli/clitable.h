#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A plain text table: a header line and rows, each column as wide as its
// widest cell, columns two spaces apart.
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
