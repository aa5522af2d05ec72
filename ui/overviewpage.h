// COverviewPage: the table of every player, with its filter, count and Forget.
#pragma once

#include <QStringList>
#include <QWidget>

class COverviewFilter;
class COverviewModel;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// Shown in the page area whenever no single player is chosen. The table is
// a sorted and filtered view of the model; rows can be chosen several at a
// time. Choosing one row (double click or Enter) asks for its player's page.
class COverviewPage : public QWidget
{
    Q_OBJECT

public:
    explicit COverviewPage(COverviewModel *model, QWidget *parent = nullptr);

    QTableView *Table() const { return m_pTable; }
    QLineEdit *FilterBox() const { return m_pFilter; }
    QLabel *CountLabel() const { return m_pCount; }
    QPushButton *ForgetButton() const { return m_pForget; }
    COverviewFilter *Proxy() const { return m_pProxy; }
    // The keys of the chosen rows, in the order shown.
    QStringList SelectedKeys() const;
    // Asks for the page of the current row's player.
    void ActivateCurrent();
    // Column widths and the sort order, to keep between runs.
    QByteArray HeaderState() const;
    void RestoreHeaderState(const QByteArray &state);

signals:
    // ip: where the row's player answered in this search.
    void PlayerChosen(const QString &ip);
    void ForgetRequested(const QStringList &keys);

private:
    void UpdateCount();
    void UpdateForget();
    void ShowContextMenu(const QPoint &position);
    void Activate(const QModelIndex &index);
    void RequestForget();

    COverviewModel *m_pModel;
    COverviewFilter *m_pProxy;
    QLineEdit *m_pFilter;
    QLabel *m_pCount;
    QTableView *m_pTable;
    QPushButton *m_pForget;
};
