#include "overviewfilter.h"

#include "overviewmodel.h"

COverviewFilter::COverviewFilter(QObject *parent) : QSortFilterProxyModel(parent)
{
    setSortRole(COverviewModel::SortRole);
    setSortCaseSensitivity(Qt::CaseInsensitive);
    // Rows that change keep to the order chosen, and to the filter.
    setDynamicSortFilter(true);
}

void COverviewFilter::SetText(const QString &text)
{
    if (text == m_strText)
        return;
    m_strText = text;
    m_strFolded = text.toCaseFolded();
    // Only the rows are looked at again: the order stays as it is.
    invalidateRowsFilter();
}

bool COverviewFilter::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (m_strFolded.isEmpty())
        return true;
    const QModelIndex row = sourceModel()->index(sourceRow, 0, sourceParent);
    return row.data(COverviewModel::FilterRole).toString().contains(m_strFolded);
}
