#include "halvorinsetup101dlg.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTextDocument>
#include <QThread>
#include <QTimerEvent>

#include "aboutdlg.h"
#include "artwork.h"
#include "busyrunner.h"
#include "commanderror.h"
#include "devicediscover.h"
#include "diagnosedlg.h"
#include "fileuploader.h"
#include "messagebox.h"
#include "overviewpage.h"
#include "portholder.h"
#include "postedmessage.h"
#include "resourcestrings.h"
#include "scanrangedlg.h"
#include "statusline.h"
#include "sweeprange.h"
#include "templatebuilder.h"
#include "windowsettings.h"

CHalvorinSetup101Dlg::CHalvorinSetup101Dlg(QWidget *parent)
    : QDialog(parent), m_icon(CArtwork::Icon(CArtwork::ICON_MAIN)), m_mainView(m_manager, this),
      m_webView(m_manager, this), m_searchStatus(m_manager), m_overview(m_manager),
      m_search(m_manager)
{
    CTemplateBuilder::Build(IDD, this);
    m_pAdapterList = CTemplateBuilder::Control<QComboBox>(this, IDC_ADAPTER_LIST);
    m_pDeviceList = CTemplateBuilder::Control<QListWidget>(this, IDC_DEVICE_LIST);

    // Enter must never press a button here, not even the one with the focus.
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);

    CreatePageArea();
    CreateStatusLine();
    // The overview lies in the page area with the two pages, and shows
    // whenever neither of them does.
    m_overview.CreatePage(qobject_cast<QGridLayout *>(m_pPageArea->widget()->layout()),
                          QLatin1String(SETTINGS_GROUP));
    connect(&m_overview.Page(), &COverviewPage::PlayerChosen, this,
            &CHalvorinSetup101Dlg::OnOverviewPlayerChosen);
    CreateAllPlayersButton();
    m_layout.Capture(this, m_pDeviceList, m_pPageArea,
                     CTemplateBuilder::Control<QFrame>(this, IDC_LOGO_FRAME), m_pStatusLine);
    // The template's size is where the window starts, not a limit: it may
    // grow, and shrinks below it only on a screen that cannot hold it.
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const QSize available = screen() ? screen()->availableGeometry().size() : size();
    setMinimumSize(m_layout.MinimumSize(available));
    m_sizeRemembered = CWindowSettings::LoadSize(QLatin1String(SETTINGS_GROUP));
    resize(m_layout.OpeningSize(m_sizeRemembered, available));

    if (auto *refresh = CTemplateBuilder::Control<QPushButton>(this, IDC_REFRESH))
        connect(refresh, &QPushButton::clicked, this, &CHalvorinSetup101Dlg::OnRefresh);
    // activated: chosen by the user, not changed by the program.
    connect(m_pAdapterList, &QComboBox::activated, this, &CHalvorinSetup101Dlg::OnAdapterChanged);
    connect(m_pDeviceList, &QListWidget::itemSelectionChanged, this,
            &CHalvorinSetup101Dlg::OnDeviceSelectionChanged);
    connect(&m_mainView, &CSetupMainView::DeviceRenamed, this,
            &CHalvorinSetup101Dlg::RenameSelectedDevice);
    // Posted, as every request for a new search is: it is handled after the
    // page's own handler has returned.
    connect(&m_mainView, &CSetupMainView::DelayedRefreshRequested, this,
            [this] { CPostedMessage::Post(this, WM_DELAYED_REFRESH); });
    // Queued: messages held during an operation are handled after the
    // handler that started it has returned, as if they had just arrived.
    connect(CBusyRunner::Instance(), &CBusyRunner::Idle, this, &CHalvorinSetup101Dlg::ReplayHeld,
            Qt::QueuedConnection);
    connect(&m_search, &CPlayerSearch::Ended, this, &CHalvorinSetup101Dlg::OnSearchEnded);
}

CHalvorinSetup101Dlg::~CHalvorinSetup101Dlg()
{
    if (m_bInitialised) {
        // The size the user gave it, not that of the maximised window.
        const QRect normal = normalGeometry();
        const bool enlarged = isMaximized() || isFullScreen();
        CWindowSettings::SaveSize(QLatin1String(SETTINGS_GROUP),
                                  enlarged && normal.isValid() ? normal.size() : size());
        m_overview.SaveHeaderState();
    }
    m_overview.SaveSeenPlayersNow();
    qApp->removeEventFilter(this);
    m_manager.StopDiscovery();
    m_manager.SetMainWindow(nullptr);
}

void CHalvorinSetup101Dlg::showEvent(QShowEvent *event)
{
    if (!m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
        FitToScreen();
    }
    QDialog::showEvent(event);
}

// The pages lie on top of each other in a scroll area at the page frame's
// place: at the default size or larger they fill it exactly; a smaller window
// scrolls them instead of cutting their buttons off.
void CHalvorinSetup101Dlg::CreatePageArea()
{
    const auto *frame = CTemplateBuilder::Control<QFrame>(this, IDC_PAGE_FRAME);
    const QRect place = frame ? frame->geometry() : QRect();
    m_pPageArea = new QScrollArea(this);
    m_pPageArea->setFrameShape(QFrame::NoFrame);
    m_pPageArea->setFocusPolicy(Qt::NoFocus);
    m_pPageArea->setWidgetResizable(true);
    auto *pages = new QWidget;
    pages->setMinimumSize(place.size());
    auto *stack = new QGridLayout(pages);
    stack->setContentsMargins(0, 0, 0, 0);
    for (QWidget *page :
         {static_cast<QWidget *>(&m_mainView), static_cast<QWidget *>(&m_webView)}) {
        page->hide();
        stack->addWidget(page, 0, 0);
    }
    // While a chosen player's settings are read, this stands in for its page.
    m_pLoading = new QLabel(pages);
    m_pLoading->setTextFormat(Qt::PlainText);
    m_pLoading->setAlignment(Qt::AlignCenter);
    m_pLoading->setWordWrap(true);
    m_pLoading->setAccessibleName(QStringLiteral("Loading"));
    m_pLoading->hide();
    stack->addWidget(m_pLoading, 0, 0);
    m_pPageArea->setWidget(pages);
    m_pPageArea->setGeometry(place);
}

// Along the bottom, as wide as the column and the page area together: the
// template leaves no room there, so the window's default grows by the line.
void CHalvorinSetup101Dlg::CreateStatusLine()
{
    m_pStatusLine = new CStatusLine(this);
    m_searchStatus.SetLine(m_pStatusLine);
    const QRect page = m_pPageArea->geometry();
    const auto *logo = CTemplateBuilder::Control<QFrame>(this, IDC_LOGO_FRAME);
    const int left = logo ? logo->geometry().left() : m_pDeviceList->geometry().left();
    const int margin = height() - page.bottom() - 1;
    const int lineHeight = m_pStatusLine->sizeHint().height();
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    resize(width(), page.bottom() + 1 + STATUS_LINE_GAP + lineHeight + margin);
    m_pStatusLine->setGeometry(left, page.bottom() + 1 + STATUS_LINE_GAP, page.right() + 1 - left,
                               lineHeight);
    connect(m_pStatusLine, &CStatusLine::DiagnoseRequested, this,
            &CHalvorinSetup101Dlg::OnDiagnose);
    connect(m_pStatusLine, &CStatusLine::ScanRangeRequested, this,
            &CHalvorinSetup101Dlg::OnScanRange);
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

// Before the window shows, its frame and its screen are known; the size and
// place chosen without them may reach beyond the screen (a high scale factor,
// a small screen, a size remembered from a larger one).
void CHalvorinSetup101Dlg::FitToScreen()
{
    const QScreen *shownOn = screen();
    if (!shownOn)
        return;
    const QRect available = shownOn->availableGeometry();
    const QSize frame = frameGeometry().size() - size();
    const QSize room = (available.size() - frame).expandedTo(QSize(0, 0));
    setMinimumSize(m_layout.MinimumSize(room));
    resize(m_layout.OpeningSize(m_sizeRemembered, room));
    const QRect outer = frameGeometry();
    const int x =
        std::max(available.left(), std::min(outer.left(), available.right() + 1 - outer.width()));
    const int y =
        std::max(available.top(), std::min(outer.top(), available.bottom() + 1 - outer.height()));
    if (QPoint(x, y) != outer.topLeft())
        move(x, y);
}

void CHalvorinSetup101Dlg::resizeEvent(QResizeEvent *event)
{
    const bool logo = m_layout.Apply(event->size());
    m_rcLogo = m_layout.LogoRect(event->size());
    if (auto *frame = CTemplateBuilder::Control<QFrame>(this, IDC_LOGO_FRAME))
        frame->setVisible(logo);
    QDialog::resizeEvent(event);
}

void CHalvorinSetup101Dlg::OnInitDialog()
{
    m_strAboutMenu = CResourceStrings::Load(CResourceStrings::IDS_ABOUTBOX);
    setWindowIcon(m_icon);
    // Before the window shows, so Enter and Escape never reach a control.
    qApp->installEventFilter(this);

    m_rcLogo = m_layout.LogoRect(size());
    if (auto *frame = CTemplateBuilder::Control<QFrame>(this, IDC_PAGE_FRAME))
        frame->hide();
    m_mainView.hide();
    m_webView.hide();
    m_overview.Page().show();
    m_overview.LoadSeenPlayers();

    m_manager.SetMainWindow(this);
    m_manager.StartDiscovery();
    FillAdapterList();
    m_nTimerId = startTimer(STARTUP_TIMER_MS);
}

void CHalvorinSetup101Dlg::FillAdapterList()
{
    const QSignalBlocker blocker(m_pAdapterList);
    m_pAdapterList->clear();
    const QStringList lines = m_manager.GetAdapterDescriptions();
    m_pAdapterList->addItems(lines);
    // The line whose address the manager sweeps, which is not always the
    // first (an adapter with several addresses).
    m_pAdapterList->setCurrentIndex(
        std::max(0, static_cast<int>(lines.indexOf(m_manager.GetAdapterDescription()))));
}

bool CHalvorinSetup101Dlg::IsOwnMessage(const QEvent *event) const
{
    switch (static_cast<int>(event->type())) {
    case WM_DEVICE_LIST_CHANGED:
    case WM_SHOW_DEVICE_PAGE:
    case WM_DELAYED_REFRESH:
        return true;
    case QEvent::Timer:
        return m_nTimerId != 0 && static_cast<const QTimerEvent *>(event)->timerId() == m_nTimerId;
    default:
        return false;
    }
}

bool CHalvorinSetup101Dlg::event(QEvent *event)
{
    if (!IsOwnMessage(event))
        return QDialog::event(event);
    // The overview takes every announcement at once, even while an
    // operation holds the list's refill back.
    if (event->type() == WM_DEVICE_LIST_CHANGED)
        m_overview.ScheduleUpdate();
    if (event->type() == QEvent::Timer) {
        // The start-up timer fires once, even when its handling has to wait.
        killTimer(m_nTimerId);
        m_nTimerId = 0;
    }
    if (!m_deferral.HoldIfNeeded(event, CBusyRunner::IsBusy())) {
        CMessageDeferral::SMessage message;
        message.m_nMessage = static_cast<int>(event->type());
        if (event->type() != QEvent::Timer)
            message.m_wParam = static_cast<const CPostedMessage *>(event)->WParam();
        Dispatch(message);
    }
    return true;
}

void CHalvorinSetup101Dlg::Dispatch(const CMessageDeferral::SMessage &message)
{
    switch (message.m_nMessage) {
    case WM_DEVICE_LIST_CHANGED:
        FillDeviceList();
        break;
    case WM_SHOW_DEVICE_PAGE:
        OnShowDevicePage(message.m_wParam);
        break;
    case WM_DELAYED_REFRESH:
        OnDelayedRefresh();
        break;
    case QEvent::Timer:
        OnFirstRefresh();
        break;
    default:
        break;
    }
}

void CHalvorinSetup101Dlg::ReplayHeld()
{
    while (!CBusyRunner::IsBusy()) {
        const std::optional<CMessageDeferral::SMessage> message = m_deferral.TakeNext();
        if (!message)
            break;
        Dispatch(*message);
    }
}

// The list, the overview and the status line follow the search as players
// answer.
void CHalvorinSetup101Dlg::StartSearch(bool sayWhenNobody, const std::optional<CSweepRange> &range)
{
    // A search started over another one the user asked for still answers
    // the user.
    m_bSayWhenNobody = sayWhenNobody || (IsSearching() && m_bSayWhenNobody);
    m_overview.BeginSearch();
    m_searchStatus.ShowStarted();
    m_search.Start(range);
}

void CHalvorinSetup101Dlg::OnSearchEnded(bool found)
{
    FillDeviceList();
    m_overview.EndSearch();
    // The line says at once that nobody answered and what to do; the box
    // follows.
    m_searchStatus.ShowEnded(m_pDeviceList->count());
    if (!found && m_bSayWhenNobody)
        CMessageBox::Show(QStringLiteral("failed device discovery"));
}

void CHalvorinSetup101Dlg::OnFirstRefresh()
{
    if (!CanHearPlayers())
        return;
    StartSearch(false);
}

// Players answer a search by connecting to the announcement port; while
// another program holds it, a search would wait its full time for nothing
// and end in a message that names no cause.
bool CHalvorinSetup101Dlg::CanHearPlayers()
{
    if (!m_manager.GetDiscover() || m_manager.ListenAgain())
        return true;
    const quint16 port = CDeviceDiscover::ANNOUNCE_PORT;
    const QString holder = CPortHolder::Find(port);
    const QString who =
        holder.isEmpty() ? QStringLiteral("another program, perhaps another user's") : holder;
    m_pStatusLine->ShowProblem(
        QStringLiteral("No player can answer: TCP port %1 is held by %2.").arg(port).arg(who));
    CMessageBox::Show(QStringLiteral("No player can be found: TCP port %1, to which players "
                                     "answer a search, is held by %2.\nClose it, then press "
                                     "Refresh.")
                          .arg(QString::number(port), who));
    return false;
}

void CHalvorinSetup101Dlg::FillDeviceList()
{
    const QSignalBlocker blocker(m_pDeviceList);
    m_pDeviceList->clear();
    const QList<CDeviceSummary> devices = m_manager.GetDevices();
    // Players may share a name; the tooltip tells them apart. A tip that
    // looks like markup is drawn as markup: what a player announced is shown
    // as written.
    for (const CDeviceSummary &device : devices) {
        auto *line = new QListWidgetItem(device.name, m_pDeviceList);
        line->setToolTip(Qt::convertFromPlainText(device.model + QLatin1Char('\n') + device.ip));
    }
    m_manager.ClearSelectedIp();
    m_searchStatus.ShowCount(m_pDeviceList->count(), IsSearching());
    m_overview.Update();
}

void CHalvorinSetup101Dlg::ClearForSearch()
{
    {
        const QSignalBlocker blocker(m_pDeviceList);
        m_pDeviceList->clear();
    }
    m_mainView.hide();
    m_webView.hide();
    m_pLoading->hide();
    m_overview.Page().show();
    // A refresh or another adapter ends the search of a range.
    m_searchStatus.ClearRange();
    repaint();
}

void CHalvorinSetup101Dlg::OnRefresh()
{
    ClearForSearch();
    // Adapters come and go, and addresses with them, while the window is open.
    m_manager.ReadAdaptersAgain();
    FillAdapterList();
    if (!CanHearPlayers()) {
        FillDeviceList();
        return;
    }
    StartSearch(true);
}

void CHalvorinSetup101Dlg::OnAdapterChanged()
{
    const QString description = m_pAdapterList->currentText();
    if (description == m_manager.GetAdapterDescription())
        return;
    ClearForSearch();
    if (!CanHearPlayers()) {
        // The adapter is taken all the same, for the next search.
        m_manager.ChooseAdapter(description);
        FillDeviceList();
        return;
    }
    if (m_manager.ChooseAdapter(description)) {
        StartSearch(false);
        return;
    }
    // A line no adapter has (any more): searched from no address, as the
    // manager does.
    m_overview.BeginSearch();
    CBusyRunner::Run([this, description] { return m_manager.SelectAdapter(description); });
    FillDeviceList();
    m_overview.EndSearch();
}

void CHalvorinSetup101Dlg::OnDeviceSelectionChanged()
{
    const QList<QListWidgetItem *> selected = m_pDeviceList->selectedItems();
    if (selected.isEmpty())
        return;
    const int line = m_pDeviceList->row(selected.first());
    const QString name = selected.first()->text();
    const QString ip = m_manager.GetDeviceIp(line);
    if (ip == m_manager.GetSelectedDeviceIp())
        return; // the same player again
    // The page of the player chosen before goes at once: while the new one is
    // read, its values would pass for the new player's.
    m_mainView.hide();
    m_webView.hide();
    ShowLoading(name, ip);
    m_overview.Page().hide();
    // The page is shown when the manager's WM_SHOW_DEVICE_PAGE arrives, after
    // this handler has returned.
    if (!CBusyRunner::Run([this, name, ip] { return m_manager.SelectDevice(name, ip); }))
        CCommandError::Show(&m_manager, QStringLiteral("Reading the player's settings failed."));
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
    m_overview.Page().show();
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

void CHalvorinSetup101Dlg::OnShowDevicePage(qint64 deviceView)
{
    m_pLoading->hide();
    m_overview.Page().hide();
    if (deviceView) {
        m_webView.hide();
        m_mainView.show();
        m_mainView.RefreshView();
    } else {
        m_mainView.hide();
        m_webView.show();
        m_webView.NavigateToDevice();
    }
}

void CHalvorinSetup101Dlg::OnDelayedRefresh()
{
    const int delay = m_nDelayedRefreshMs;
    // On the busy runner's worker: the window keeps painting meanwhile.
    CBusyRunner::Run([delay] {
        QThread::msleep(static_cast<unsigned long>(delay));
        return 1;
    });
    OnRefresh();
}

void CHalvorinSetup101Dlg::RenameSelectedDevice(const QString &name)
{
    const QList<QListWidgetItem *> selected = m_pDeviceList->selectedItems();
    if (selected.isEmpty())
        return;
    const int line = m_pDeviceList->row(selected.first());
    m_manager.UpdateDeviceName(line, name);
    const QSignalBlocker blocker(m_pDeviceList);
    const QString toolTip = m_pDeviceList->item(line)->toolTip();
    m_pDeviceList->insertItem(line, name);
    m_pDeviceList->item(line)->setToolTip(toolTip);
    delete m_pDeviceList->takeItem(line + 1);
    m_pDeviceList->setCurrentRow(line);
}

void CHalvorinSetup101Dlg::paintEvent(QPaintEvent *event)
{
    if (!isMinimized()) {
        // Drawn on every repaint, for the screen the window is on now:
        // the picture is small and nothing is kept.
        const QImage logo = CArtwork::Logo(devicePixelRatioF());
        if (!logo.isNull() && !m_rcLogo.isNull()) {
            QPainter painter(this);
            painter.drawImage(m_rcLogo.topLeft(), logo);
        }
    }
    QDialog::paintEvent(event);
}

bool CHalvorinSetup101Dlg::IsEnterOrEscape(const QEvent *event) const
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

// Enter and Escape are taken away before any control of this window sees
// them, so neither presses a button nor closes the window. Only the web page
// gets Enter: a person typing into a form there expects it to submit.
bool CHalvorinSetup101Dlg::eventFilter(QObject *watched, QEvent *event)
{
    if (!IsEnterOrEscape(event) || !watched->isWidgetType())
        return QDialog::eventFilter(watched, event);
    if (static_cast<QWidget *>(watched)->window() != this)
        return QDialog::eventFilter(watched, event);
    const bool enter = static_cast<QKeyEvent *>(event)->key() != Qt::Key_Escape;
    if (enter && m_webView.Explorer().Contains(watched))
        return QDialog::eventFilter(watched, event);
    // Escape leaves the chosen player for the overview, closing nothing.
    if (!enter && !CBusyRunner::IsBusy())
        ShowOverview();
    if (enter)
        m_overview.TakesEnter(watched);
    return true;
}

void CHalvorinSetup101Dlg::keyPressEvent(QKeyEvent *event)
{
    // Keys the browser did not want come back up to here.
    if (IsEnterOrEscape(event))
        return;
    if (event->key() == Qt::Key_F1) {
        OnAboutBox();
        return;
    }
    QDialog::keyPressEvent(event);
}

// The window's menu of its own: the about box, as the title bar's menu offers
// it elsewhere, and the status line's two ways to search further.
void CHalvorinSetup101Dlg::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    if (!m_strAboutMenu.isEmpty()) {
        menu.addAction(m_strAboutMenu, this, &CHalvorinSetup101Dlg::OnAboutBox);
        menu.addSeparator();
    }
    menu.addAction(QStringLiteral("&Diagnose\u2026"), this, &CHalvorinSetup101Dlg::OnDiagnose);
    menu.addAction(QStringLiteral("&Scan range\u2026"), this, &CHalvorinSetup101Dlg::OnScanRange);
    menu.exec(event->globalPos());
}

// A firmware download outlives its dialog; quitting would cut it off and
// leave the player with half an image, so the user is asked first and, unless
// they insist, the tool stays until the download is over.
void CHalvorinSetup101Dlg::closeEvent(QCloseEvent *event)
{
    if (CFileUpLoader::LiveCount() > 0 &&
        CMessageBox::Show(QStringLiteral("A player is still downloading its firmware from this "
                                         "computer.\nQuitting now cuts the download. Do you "
                                         "want to quit anyway?"),
                          CMessageBox::EButtons::YesNo) != QMessageBox::Yes) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CHalvorinSetup101Dlg::OnAboutBox()
{
    CAboutDlg about(this);
    about.exec();
}

void CHalvorinSetup101Dlg::ShowLoading(const QString &name, const QString &ip)
{
    m_pLoading->setText(QStringLiteral("Reading %1 (%2)\u2026").arg(name, ip));
    m_pLoading->show();
    m_pLoading->repaint();
}

// The window's own discovery holds the announcement port; the checks need
// it free, to see whether anything else holds it and for their own test
// announcement. Discovery is back, on the same adapter, once the checks
// close, and searches again.
void CHalvorinSetup101Dlg::OnDiagnose()
{
    const QString adapter = m_manager.GetAdapterDescription();
    ClearForSearch();
    m_manager.StopDiscovery();
    {
        CDiagnoseDlg dialog(CFirewallCheck::SystemRunner(), this);
        dialog.exec();
    }
    m_manager.StartDiscovery();
    m_manager.ChooseAdapter(adapter);
    FillAdapterList();
    FillDeviceList();
    // Whatever the user changed while reading the checks is tried at once.
    if (CanHearPlayers())
        StartSearch(false);
}

// Players on a routed network beyond the adapter's own answer a sweep of
// that network; their announcements fill the list as they come.
void CHalvorinSetup101Dlg::OnScanRange()
{
    CScanRangeDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted || !dialog.Range())
        return;
    const CSweepRange range = *dialog.Range();
    ClearForSearch();
    if (!CanHearPlayers()) {
        FillDeviceList();
        return;
    }
    m_manager.ClearSelectedIp();
    m_searchStatus.SetRange(range.Text());
    FillDeviceList();
    StartSearch(false, range);
}
