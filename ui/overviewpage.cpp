#include "overviewpage.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

#include "overviewfilter.h"
#include "overviewmodel.h"

COverviewPage::COverviewPage(COverviewModel *model, QWidget *parent)
    : QWidget(parent), m_pModel(model), m_pProxy(new COverviewFilter(this)),
      m_pFilter(new QLineEdit(this)), m_pCount(new QLabel(this)), m_pTable(new QTableView(this)),
      m_pForget(new QPushButton(QStringLiteral("&Forget"), this))
{
    setAccessibleName(QStringLiteral("Player overview"));
    // Every column is searched: a name, a model, part of an address or MAC.
    m_pProxy->setSourceModel(m_pModel);

    m_pFilter->setPlaceholderText(QStringLiteral("Filter (Ctrl+F)"));
    m_pFilter->setAccessibleName(QStringLiteral("Filter players"));
    // No clear button: its icon alone costs the start-up more memory than
    // the rest of the page; Ctrl+F selects the text to type over it.
    m_pCount->setAccessibleName(QStringLiteral("Player count"));
    m_pCount->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    m_pTable->setModel(m_pProxy);
    m_pTable->setAccessibleName(QStringLiteral("Players"));
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTable->setWordWrap(false);
    m_pTable->verticalHeader()->hide();
    // Rows of one height: thousands of them cost the header nothing to lay out.
    m_pTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_pTable->horizontalHeader()->setStretchLastSection(true);
    m_pTable->horizontalHeader()->setSectionsMovable(false);
    m_pTable->setContextMenuPolicy(Qt::CustomContextMenu);
    // Unsorted until the user asks: the order the players answered in.
    m_pTable->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_pTable->setSortingEnabled(true);

    m_pForget->setAccessibleName(QStringLiteral("Forget the chosen players"));
    m_pForget->setToolTip(QStringLiteral("Forget the chosen players (Delete)"));
    m_pForget->setAutoDefault(false);

    auto *top = new QHBoxLayout;
    top->addWidget(m_pFilter, 1);
    top->addWidget(m_pCount);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(m_pForget);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(m_pTable, 1);
    layout->addLayout(bottom);

    connect(m_pFilter, &QLineEdit::textChanged, m_pProxy, &COverviewFilter::SetText);
    // The source's own signals too: the view drops removed rows before the
    // source has lost them.
    for (QAbstractItemModel *counted : {static_cast<QAbstractItemModel *>(m_pProxy),
                                        static_cast<QAbstractItemModel *>(m_pModel)}) {
        connect(counted, &QAbstractItemModel::rowsInserted, this, &COverviewPage::UpdateCount);
        connect(counted, &QAbstractItemModel::rowsRemoved, this, &COverviewPage::UpdateCount);
        connect(counted, &QAbstractItemModel::modelReset, this, &COverviewPage::UpdateCount);
        connect(counted, &QAbstractItemModel::layoutChanged, this, &COverviewPage::UpdateCount);
    }
    connect(m_pTable, &QTableView::doubleClicked, this, &COverviewPage::Activate);
    connect(m_pTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &COverviewPage::UpdateForget);
    connect(m_pTable, &QWidget::customContextMenuRequested, this, &COverviewPage::ShowContextMenu);
    connect(m_pForget, &QPushButton::clicked, this, &COverviewPage::RequestForget);
    auto *find = new QShortcut(QKeySequence::Find, this, nullptr, nullptr, Qt::WindowShortcut);
    connect(find, &QShortcut::activated, this, [this] {
        m_pFilter->setFocus(Qt::ShortcutFocusReason);
        m_pFilter->selectAll();
    });
    auto *forget =
        new QShortcut(QKeySequence::Delete, m_pTable, nullptr, nullptr, Qt::WidgetShortcut);
    connect(forget, &QShortcut::activated, this, &COverviewPage::RequestForget);
    UpdateCount();
    UpdateForget();
}

QStringList COverviewPage::SelectedKeys() const
{
    QModelIndexList rows = m_pTable->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    QStringList keys;
    for (const QModelIndex &row : rows)
        keys.append(row.data(COverviewModel::KeyRole).toString());
    return keys;
}

void COverviewPage::ActivateCurrent()
{
    Activate(m_pTable->currentIndex());
}

void COverviewPage::Activate(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    // A player remembered from before has no page to show until it answers.
    const QString ip = index.data(COverviewModel::AnsweringIpRole).toString();
    if (!ip.isEmpty())
        emit PlayerChosen(ip);
}

QByteArray COverviewPage::HeaderState() const
{
    return m_pTable->horizontalHeader()->saveState();
}

void COverviewPage::RestoreHeaderState(const QByteArray &state)
{
    QHeaderView *header = m_pTable->horizontalHeader();
    if (state.isEmpty() || !header->restoreState(state))
        return;
    header->setSectionsMovable(false);
    m_pTable->sortByColumn(header->sortIndicatorSection(), header->sortIndicatorOrder());
}

void COverviewPage::UpdateCount()
{
    const int all = m_pModel->rowCount();
    const int shown = m_pProxy->rowCount();
    const QString players = all == 1 ? QStringLiteral("player") : QStringLiteral("players");
    if (shown == all)
        m_pCount->setText(QStringLiteral("%1 %2").arg(all).arg(players));
    else
        m_pCount->setText(QStringLiteral("%1 of %2 %3").arg(shown).arg(all).arg(players));
}

void COverviewPage::UpdateForget()
{
    m_pForget->setEnabled(m_pTable->selectionModel()->hasSelection());
}

void COverviewPage::ShowContextMenu(const QPoint &position)
{
    if (!m_pTable->selectionModel()->hasSelection())
        return;
    QMenu menu(this);
    menu.addAction(QStringLiteral("&Forget"), this, &COverviewPage::RequestForget);
    menu.exec(m_pTable->viewport()->mapToGlobal(position));
}

void COverviewPage::RequestForget()
{
    const QStringList keys = SelectedKeys();
    if (!keys.isEmpty())
        emit ForgetRequested(keys);
}
