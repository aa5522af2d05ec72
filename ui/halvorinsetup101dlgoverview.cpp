// The main window's overview of every player and its players seen before:
// kept apart from the window's Parts so each side can change on its own.
#include "halvorinsetup101dlg.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStyle>
#include <QTableView>
#include <QTimer>

#include "busyrunner.h"
#include "messagebox.h"
#include "overviewpage.h"
#include "templatebuilder.h"
#include "windowsettings.h"

namespace {

// The players this tool configures itself answer the reads; the other
// classes show their own web page and are not read.
constexpr qint32 READ_CLASS = 2;
const QString HEADER_PART = QStringLiteral("overview");

} // namespace

// The overview lies in the page area with the two pages, and shows whenever
// neither of them does.
void CHalvorinSetup101Dlg::CreateOverview()
{
    m_pOverview = new COverviewPage(&m_overviewModel);
    m_pOverview->setObjectName(QStringLiteral("overview"));
    if (auto *stack = qobject_cast<QGridLayout *>(m_pPageArea->widget()->layout()))
        stack->addWidget(m_pOverview, 0, 0);
    m_pOverview->hide();

    // Room for typical values (or the caption, when wider) at the window's
    // default size; the user's own widths, once set, are remembered instead.
    const QFontMetrics metrics(m_pOverview->font());
    const QStringList samples = {QStringLiteral("Living Room"),
                                 QStringLiteral("KS-210"),
                                 QStringLiteral("192.168.10.200"),
                                 QStringLiteral("00:00:00:00:00:00"),
                                 QString(),
                                 QString()};
    QHeaderView *header = m_pOverview->Table()->horizontalHeader();
    const QFontMetrics headerMetrics(header->font());
    for (int column = 0; column < samples.size(); ++column) {
        const QString caption = m_overviewModel.headerData(column, Qt::Horizontal).toString();
        const int width = std::max(metrics.horizontalAdvance(samples.at(column)),
                                   headerMetrics.horizontalAdvance(caption) +
                                       header->style()->pixelMetric(QStyle::PM_HeaderMargin) * 2);
        header->resizeSection(column, width + metrics.averageCharWidth() * 2);
    }
    // A line a row: a site has many players to see at once.
    m_pOverview->Table()->verticalHeader()->setDefaultSectionSize(metrics.height() +
                                                                  metrics.height() / 2);
    m_pOverview->RestoreHeaderState(
        CWindowSettings::LoadState(QLatin1String(SETTINGS_GROUP), HEADER_PART));

    m_pSeenSave = new QTimer(this);
    m_pSeenSave->setSingleShot(true);
    m_pSeenSave->setInterval(SEEN_SAVE_DELAY_MS);
    connect(m_pSeenSave, &QTimer::timeout, this, [this] { m_seenPlayers.Save(); });
    connect(&m_overviewReader, &COverviewReader::Done, this, &CHalvorinSetup101Dlg::OnOverviewRead);
    connect(m_pOverview, &COverviewPage::PlayerChosen, this,
            &CHalvorinSetup101Dlg::OnOverviewPlayerChosen);
    connect(m_pOverview, &COverviewPage::ForgetRequested, this,
            &CHalvorinSetup101Dlg::OnForgetPlayers);
}

// Beside the "Device List" caption, above the list and not a line of it:
// line i stays the manager's player i.
void CHalvorinSetup101Dlg::CreateAllPlayersButton()
{
    m_pAllPlayers = new QPushButton(QStringLiteral("A&ll players"), this);
    m_pAllPlayers->setObjectName(QStringLiteral("allPlayers"));
    m_pAllPlayers->setAccessibleName(QStringLiteral("All players"));
    m_pAllPlayers->setToolTip(QStringLiteral("Show every player (Esc)"));
    m_pAllPlayers->setAutoDefault(false);
    const QRect list = m_pDeviceList->geometry();
    QRect caption(list.left(), list.top() - list.height() / 8, list.width() / 2, 0);
    for (const QLabel *label : findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
        if (label->text() == QLatin1String("Device List"))
            caption = label->geometry();
    }
    const int width = std::min(list.width() / 2 + 1, m_pAllPlayers->sizeHint().width());
    const int top = caption.top() - caption.height() / 2;
    m_pAllPlayers->setGeometry(list.right() + 1 - width, top, width, list.top() - 1 - top);
    // Between the adapter list and the device list in the tab order.
    setTabOrder(CTemplateBuilder::Control<QWidget>(this, IDC_ADAPTER_LIST), m_pAllPlayers);
    setTabOrder(m_pAllPlayers, m_pDeviceList);
    connect(m_pAllPlayers, &QPushButton::clicked, this, &CHalvorinSetup101Dlg::ShowOverview);
}

void CHalvorinSetup101Dlg::ShowOverview()
{
    m_mainView.hide();
    m_webView.hide();
    {
        const QSignalBlocker blocker(m_pDeviceList);
        m_pDeviceList->clearSelection();
        m_pDeviceList->setCurrentRow(-1);
    }
    // Choosing the same player again afterwards reads it anew.
    m_manager.ClearSelectedIp();
    m_pOverview->show();
}

// A corrupt or foreign file is set aside, never read again, and the user is
// told once; the window carries on with nothing remembered.
void CHalvorinSetup101Dlg::LoadSeenPlayers()
{
    if (m_seenPlayers.Load() == CSeenPlayers::ELoad::SetAside) {
        const QString aside = m_seenPlayers.SetAsidePath();
        QTimer::singleShot(0, this, [aside] {
            CMessageBox::Show(
                QStringLiteral("The list of players seen before could not be read. It was set "
                               "aside as \"%1\"; players are remembered afresh from now on.")
                    .arg(aside));
        });
    }
    m_overviewModel.AddRemembered(m_seenPlayers.Players());
}

void CHalvorinSetup101Dlg::BeginOverviewSearch()
{
    // The list the search fills starts empty now, so an update of the
    // overview before the search itself runs cannot take the last search's
    // players for answers to this one.
    m_manager.ClearDevices();
    m_overviewReader.SetGeneration(m_overviewModel.BeginSearch());
}

void CHalvorinSetup101Dlg::EndOverviewSearch()
{
    UpdateOverview();
    m_overviewModel.EndSearch();
}

// Announcements come by the hundred: those queued together make one update.
void CHalvorinSetup101Dlg::ScheduleOverviewUpdate()
{
    if (m_bOverviewPending)
        return;
    m_bOverviewPending = true;
    QTimer::singleShot(0, this, [this] {
        m_bOverviewPending = false;
        UpdateOverview();
    });
}

void CHalvorinSetup101Dlg::UpdateOverview()
{
    const QList<CDeviceSummary> fresh = m_overviewModel.Announce(m_manager.GetDevices());
    if (fresh.isEmpty())
        return;
    const int generation = m_overviewModel.Generation();
    for (const CDeviceSummary &device : fresh) {
        const QString key = COverviewModel::Key(device);
        m_seenPlayers.Remember(m_overviewModel.Seen(key));
        if (device.modelClass != READ_CLASS)
            continue;
        m_overviewModel.MarkReading(key);
        m_overviewReader.Read(generation, key, device.ip);
    }
    SaveSeenPlayersSoon();
}

void CHalvorinSetup101Dlg::OnOverviewRead(int generation, const QString &key,
                                          const CPlayerResult &result)
{
    m_overviewModel.ApplyRead(generation, key, result);
    if (generation != m_overviewModel.Generation() || !result.m_bOk)
        return;
    m_seenPlayers.Remember(m_overviewModel.Seen(key));
    SaveSeenPlayersSoon();
}

// As a click on the player's line would: the line is found by the address
// the player answered at in this search.
void CHalvorinSetup101Dlg::OnOverviewPlayerChosen(const QString &ip)
{
    if (CBusyRunner::IsBusy())
        return;
    for (int line = 0; line < m_pDeviceList->count(); ++line) {
        if (m_manager.GetDeviceIp(line) == ip) {
            m_pDeviceList->setCurrentRow(line);
            return;
        }
    }
}

void CHalvorinSetup101Dlg::OnForgetPlayers(const QStringList &keys)
{
    for (const QString &key : keys)
        m_seenPlayers.Forget(m_overviewModel.Seen(key).m_strUdn);
    m_overviewModel.Remove(keys);
    SaveSeenPlayersSoon();
}

void CHalvorinSetup101Dlg::SaveSeenPlayersSoon()
{
    m_pSeenSave->start();
}

bool CHalvorinSetup101Dlg::OverviewTakesEnter(QObject *watched)
{
    QTableView *table = m_pOverview->Table();
    if (!m_pOverview->isVisible() || !watched->isWidgetType() ||
        (watched != table && !table->isAncestorOf(static_cast<QWidget *>(watched))))
        return false;
    m_pOverview->ActivateCurrent();
    return true;
}
