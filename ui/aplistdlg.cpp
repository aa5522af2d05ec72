#include "aplistdlg.h"

#include <array>

#include <QHeaderView>
#include <QMouseEvent>
#include <QTreeWidget>

#include "apsettingdlg.h"
#include "setupmanager.h"
#include "wirevocabulary.h"

namespace {

// The columns are titled with the access point's element names.
struct SColumn
{
    QLatin1String m_title;
    int m_nWidth; // pixels: wide enough for the texts players send
};

enum EColumn
{
    COLUMN_ESSID,
    COLUMN_ENCRYPTION_KEY,
    COLUMN_QUALITY,
    COLUMN_CONNECTED,
    COLUMN_SAVED,
    COLUMN_COUNT
};

constexpr std::array<SColumn, COLUMN_COUNT> COLUMNS = {{{WireVocabulary::ESSID, 150},
                                                        {WireVocabulary::ENCRYPTIONKEY, 100},
                                                        {WireVocabulary::QUALITY, 60},
                                                        {WireVocabulary::CONNECTED, 80},
                                                        {WireVocabulary::SAVED, 60}}};

} // namespace

CAPListDlg::CAPListDlg(CSetupManager &manager, QWidget *owner) : CModalDialog(IDD, manager, owner)
{
    m_pList = Control<QTreeWidget>(IDC_AP_LIST);
    m_pList->viewport()->installEventFilter(this);
    ConnectButton(IDC_OTHER_AP, &CAPListDlg::OnOtherAccessPoint);
}

void CAPListDlg::OnInitDialog()
{
    InsertColumns();
    FillRows();
}

void CAPListDlg::InsertColumns()
{
    QStringList titles;
    for (const SColumn &column : COLUMNS)
        titles.append(column.m_title);
    m_pList->setHeaderLabels(titles);
    for (int column = 0; column < COLUMN_COUNT; ++column) {
        m_pList->header()->resizeSection(column, COLUMNS[static_cast<size_t>(column)].m_nWidth);
        m_pList->headerItem()->setTextAlignment(column, Qt::AlignLeft | Qt::AlignVCenter);
    }
    m_pList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pList->setSortingEnabled(false);
    // The selection looks the same whether or not the list has the focus.
    QPalette palette = m_pList->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    m_pList->setPalette(palette);
}

void CAPListDlg::FillRows()
{
    const int result = RunCommand([](CSetupManager &manager) { return manager.GetApList(); });
    const QList<CAccessPoint> accessPoints =
        result ? Manager()->GetAccessPoints() : QList<CAccessPoint>();
    // Rows keep the player's order: the list is never sorted.
    for (const CAccessPoint &accessPoint : accessPoints) {
        auto *row = new QTreeWidgetItem(m_pList);
        row->setText(COLUMN_ESSID, accessPoint.essid);
        row->setText(COLUMN_ENCRYPTION_KEY, accessPoint.encryptionkey);
        row->setText(COLUMN_QUALITY, accessPoint.quality);
        row->setText(COLUMN_CONNECTED, accessPoint.connected);
        row->setText(COLUMN_SAVED, accessPoint.saved);
    }
    // A player that sees no network has nothing to offer but "Other Access Point".
    if (!result)
        ShowCommandError(QStringLiteral("Reading the Wi-Fi networks failed."));
    else if (accessPoints.isEmpty())
        ShowCommandError(QStringLiteral("The player reports no Wi-Fi networks."));
}

// A click acts once the list has updated its selection, so it is queued
// after the release.
bool CAPListDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_pList->viewport()) {
        if (event->type() == QEvent::MouseButtonDblClick) {
            m_bDoubleClick = true;
        } else if (event->type() == QEvent::MouseButtonRelease &&
                   static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            if (!m_bDoubleClick)
                QMetaObject::invokeMethod(this, &CAPListDlg::OnClickList, Qt::QueuedConnection);
            m_bDoubleClick = false;
        }
    }
    return CModalDialog::eventFilter(watched, event);
}

void CAPListDlg::OnClickList()
{
    // The first selected row in list order, which need not be the one clicked.
    QTreeWidgetItem *row = nullptr;
    for (int line = 0; line < m_pList->topLevelItemCount() && !row; ++line) {
        if (m_pList->topLevelItem(line)->isSelected())
            row = m_pList->topLevelItem(line);
    }
    if (!row)
        return;
    CAPSettingDlg setting(*Manager(), row->text(COLUMN_ESSID), row->text(COLUMN_ENCRYPTION_KEY),
                          row->text(COLUMN_CONNECTED), row->text(COLUMN_SAVED), this);
    const int result = setting.exec();
    if (result == CAPSettingDlg::RESULT_CONNECTED || result == CAPSettingDlg::RESULT_REMOVED)
        done(RESULT_CHANGED);
    else if (result == CAPSettingDlg::RESULT_RESET)
        done(RESULT_RESET);
}

void CAPListDlg::OnOtherAccessPoint()
{
    CAPSettingDlg setting(*Manager(), this);
    if (setting.exec() == CAPSettingDlg::RESULT_CONNECTED)
        done(RESULT_CHANGED);
}
