// CHalvorinSetup101Dlg: the main window: adapter list, player list, the page area.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QRect>
#include <QString>

#include "mainwindowlayout.h"
#include "messagedeferral.h"
#include "overviewcontroller.h"
#include "playersearch.h"
#include "searchstatus.h"
#include "setupmainview.h"
#include "setupmanager.h"
#include "setupwebview.h"

class COverviewPage;
class CStatusLine;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QScrollArea;

// The main window: logo, adapter list, player list, Refresh, and the page
// area on the right that shows either the device page or the web page view
// for the selected player. It owns the one setup manager and turns the user's
// choices into its calls; what the manager and the discovery threads report
// arrives as posted messages handled in event().
class CHalvorinSetup101Dlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int IDD = 102;
    static constexpr int IDC_ADAPTER_LIST = 1000;
    static constexpr int IDC_DEVICE_LIST = 1001;
    static constexpr int IDC_REFRESH = 1002;
    static constexpr int IDC_LOGO_FRAME = 1003;
    static constexpr int IDC_PAGE_FRAME = 1004;
    // The window shows at once; the first search follows a moment later, so
    // the window is on screen before the wait cursor appears.
    static constexpr int STARTUP_TIMER_MS = 300;
    // After a reset or reboot a player needs a few seconds before it answers
    // a probe again.
    static constexpr int DELAYED_REFRESH_MS = 5000;
    // Between the page area and the status line below it.
    static constexpr int STATUS_LINE_GAP = 4;
    // The group under which the window's size is remembered.
    static constexpr char SETTINGS_GROUP[] = "mainWindow";

    explicit CHalvorinSetup101Dlg(QWidget *parent = nullptr);
    ~CHalvorinSetup101Dlg() override;

    // Shows the manager's players in announcement order; the next click on
    // any line counts as a new selection.
    void FillDeviceList();
    // The selected line and its player take the new name; the line stays
    // selected.
    void RenameSelectedDevice(const QString &name);

    CSetupManager &Manager() { return m_manager; }
    CSetupMainView &MainView() { return m_mainView; }
    CSetupWebView &WebView() { return m_webView; }
    CStatusLine &StatusLine() { return *m_pStatusLine; }
    // Shows, in the page area, which player is being read.
    QLabel *LoadingLabel() const { return m_pLoading; }
    COverviewPage &Overview() { return m_overview.Page(); }
    COverviewModel &OverviewModel() { return m_overview.Model(); }
    CSeenPlayers &SeenPlayers() { return m_overview.SeenPlayers(); }
    QPushButton *AllPlayersButton() const { return m_pAllPlayers; }
    // No player chosen: the overview of all of them shows.
    void ShowOverview();
    // Whether a search waits for the players' answers; the window takes
    // input meanwhile.
    bool IsSearching() const { return m_search.IsSearching(); }
    // Tests make the search's waits this many times shorter.
    void SetSearchSpeedup(int factor) { m_search.SetSpeedup(factor); }
    // Tests shorten the wait of a delayed refresh.
    void SetDelayedRefreshMs(int milliseconds) { m_nDelayedRefreshMs = milliseconds; }
    // Whether messages that came during an operation still wait to be handled.
    bool HasHeldMessages() const { return m_deferral.HasHeld(); }

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void OnInitDialog();
    void CreatePageArea();
    // Keeps the window, frame included, inside the available area of its
    // screen.
    void FitToScreen();
    void FillAdapterList();
    void Dispatch(const CMessageDeferral::SMessage &message);
    void ReplayHeld();
    bool IsOwnMessage(const QEvent *event) const;

    void OnFirstRefresh();
    void OnRefresh();
    void OnAdapterChanged();
    void OnDeviceSelectionChanged();
    void OnShowDevicePage(qint64 deviceView);
    void OnDelayedRefresh();
    void OnAboutBox();
    void OnDiagnose();
    void OnScanRange();
    void ClearForSearch();
    // The status line along the bottom; the window grows by its height.
    void CreateStatusLine();
    void ShowLoading(const QString &name, const QString &ip);
    // False, having told the user why, when no search could hear a player.
    [[nodiscard]] bool CanHearPlayers();
    bool IsEnterOrEscape(const QEvent *event) const;

    void CreateAllPlayersButton();
    void OnOverviewPlayerChosen(const QString &ip);

    // A search that waits for answers without holding the window: the list
    // and the overview fill as players answer. sayWhenNobody: a search the
    // user asked for ends in a message when nobody answered.
    // A sweep of range, or of the adapter's /24 when none is given.
    void StartSearch(bool sayWhenNobody, const std::optional<CSweepRange> &range = std::nullopt);
    void OnSearchEnded(bool found);

    QIcon m_icon;
    CSetupManager m_manager;
    CSetupMainView m_mainView;
    CSetupWebView m_webView;
    QComboBox *m_pAdapterList = nullptr;
    QListWidget *m_pDeviceList = nullptr;
    QScrollArea *m_pPageArea = nullptr;
    QLabel *m_pLoading = nullptr;
    CStatusLine *m_pStatusLine = nullptr;
    // What the status line says about the searches.
    CSearchStatus m_searchStatus;
    CMainWindowLayout m_layout;
    // The size remembered from the last run, invalid when none.
    QSize m_sizeRemembered;
    QRect m_rcLogo;
    int m_nTimerId = 0;
    bool m_bInitialised = false;
    QString m_strAboutMenu;
    int m_nDelayedRefreshMs = DELAYED_REFRESH_MS;
    CMessageDeferral m_deferral;
    // The overview of every player and the players remembered between runs.
    COverviewController m_overview;
    QPushButton *m_pAllPlayers = nullptr;
    CPlayerSearch m_search;
    bool m_bSayWhenNobody = false;
};
