// COverviewFilter: the overview's sorted view, narrowed to the rows holding a typed text.
#pragma once

#include <QSortFilterProxyModel>
#include <QString>

// Every keystroke in the filter box runs the filter over every row, for a
// site of thousands of players; each row therefore offers one text of all
// its columns, case-folded when the row changes, and a plain substring
// search of it replaces the general filter's regular expression.
class COverviewFilter : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit COverviewFilter(QObject *parent = nullptr);

    // Rows holding text in any column, in any case; all rows when empty.
    void SetText(const QString &text);
    QString Text() const { return m_strText; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    QString m_strText;
    QString m_strFolded;
};
