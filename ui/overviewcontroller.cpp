#include "overviewcontroller.h"

#include <algorithm>

#include <QFontMetrics>
#include <QGridLayout>
#include <QHeaderView>
#include <QStyle>
#include <QTableView>
#include <QTimer>

#include "messagebox.h"
#include "overviewpage.h"
#include "setupmanager.h"
#include "windowsettings.h"

namespace {

// The players this tool configures itself answer the reads; the other
// classes show their own web page and are not read.
constexpr qint32 READ_CLASS = 2;
const QString HEADER_PART = QStringLiteral("overview");

} // namespace

COverviewController::COverviewController(CSetupManager &manager, QObject *parent)
    : QObject(parent), m_manager(manager), m_pSeenSave(new QTimer(this))
{
    m_pSeenSave->setSingleShot(true);
    m_pSeenSave->setInterval(SEEN_SAVE_DELAY_MS);
    connect(m_pSeenSave, &QTimer::timeout, this, [this] { m_seenPlayers.Save(); });
    connect(&m_reader, &COverviewReader::Done, this, &COverviewController::OnRead);
}

void COverviewController::CreatePage(QGridLayout *stack, const QString &settingsGroup)
{
    m_strSettingsGroup = settingsGroup;
    m_pPage = new COverviewPage(&m_model);
    m_pPage->setObjectName(QStringLiteral("overview"));
    if (stack)
        stack->addWidget(m_pPage, 0, 0);
    m_pPage->hide();
    SizeColumns();
    m_pPage->RestoreHeaderState(CWindowSettings::LoadState(m_strSettingsGroup, HEADER_PART));
    connect(m_pPage, &COverviewPage::ForgetRequested, this, &COverviewController::OnForget);
}

// Room for typical values (or the caption, when wider) at the window's
// default size; the user's own widths, once set, are remembered instead.
void COverviewController::SizeColumns()
{
    const QFontMetrics metrics(m_pPage->font());
    const QStringList samples = {QStringLiteral("Meeting Room 12"),
                                 QStringLiteral("KS-210"),
                                 QStringLiteral("192.168.10.200"),
                                 QStringLiteral("00:00:00:00:00:00"),
                                 QString(),
                                 QString()};
    QHeaderView *header = m_pPage->Table()->horizontalHeader();
    const QFontMetrics headerMetrics(header->font());
    for (int column = 0; column < samples.size(); ++column) {
        const QString caption = m_model.headerData(column, Qt::Horizontal).toString();
        const int width = std::max(metrics.horizontalAdvance(samples.at(column)),
                                   headerMetrics.horizontalAdvance(caption) +
                                       header->style()->pixelMetric(QStyle::PM_HeaderMargin) * 2);
        header->resizeSection(column, width + metrics.averageCharWidth() * 2);
    }
    // A line a row: a site has many players to see at once.
    m_pPage->Table()->verticalHeader()->setDefaultSectionSize(metrics.height() +
                                                              metrics.height() / 2);
}

void COverviewController::SaveHeaderState() const
{
    CWindowSettings::SaveState(m_strSettingsGroup, HEADER_PART, m_pPage->HeaderState());
}

void COverviewController::SaveSeenPlayersNow()
{
    if (m_pSeenSave->isActive())
        m_seenPlayers.Save();
}

// A corrupt or foreign file is set aside, never read again, and the user is
// told once; the window carries on with nothing remembered.
void COverviewController::LoadSeenPlayers()
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
    m_model.AddRemembered(m_seenPlayers.Players());
}

void COverviewController::BeginSearch()
{
    // The list the search fills starts empty now, so an update of the
    // overview before the search itself runs cannot take the last search's
    // players for answers to this one.
    m_manager.ClearDevices();
    m_reader.SetGeneration(m_model.BeginSearch());
}

void COverviewController::EndSearch()
{
    Update();
    m_model.EndSearch();
}

// Announcements come by the hundred: those queued together make one update.
void COverviewController::ScheduleUpdate()
{
    if (m_bUpdatePending)
        return;
    m_bUpdatePending = true;
    QTimer::singleShot(0, this, [this] {
        m_bUpdatePending = false;
        Update();
    });
}

void COverviewController::Update()
{
    const QList<CDeviceSummary> fresh = m_model.Announce(m_manager.GetDevices());
    if (fresh.isEmpty())
        return;
    const int generation = m_model.Generation();
    for (const CDeviceSummary &device : fresh) {
        const QString key = COverviewModel::Key(device);
        m_seenPlayers.Remember(m_model.Seen(key));
        if (device.modelClass != READ_CLASS)
            continue;
        m_model.MarkReading(key);
        m_reader.Read(generation, key, device.ip);
    }
    SaveSeenPlayersSoon();
}

void COverviewController::OnRead(int generation, const QString &key, const CPlayerResult &result)
{
    m_model.ApplyRead(generation, key, result);
    if (generation != m_model.Generation() || !result.m_bOk)
        return;
    m_seenPlayers.Remember(m_model.Seen(key));
    SaveSeenPlayersSoon();
}

void COverviewController::OnForget(const QStringList &keys)
{
    for (const QString &key : keys)
        m_seenPlayers.Forget(m_model.Seen(key).m_strUdn);
    m_model.Remove(keys);
    SaveSeenPlayersSoon();
}

void COverviewController::SaveSeenPlayersSoon()
{
    m_pSeenSave->start();
}

bool COverviewController::TakesEnter(QObject *watched)
{
    QTableView *table = m_pPage->Table();
    if (!m_pPage->isVisible() || !watched->isWidgetType() ||
        (watched != table && !table->isAncestorOf(static_cast<QWidget *>(watched))))
        return false;
    m_pPage->ActivateCurrent();
    return true;
}
