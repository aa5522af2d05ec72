#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "busyrunner.h"
#include "mainwindowfixture.h"
#include "messageboxrecorder.h"
#include "overviewfilter.h"
#include "overviewpage.h"
#include "seenplayers.h"
#include "templatebuilder.h"
#include "uitestmain.h"
#include "windowsettings.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int WAIT_MS = CMainWindowFixture::WAIT_MS;
constexpr int DEMO_PLAYERS = 5;
// Far longer than reading every other player takes, far below the command
// channel's time-outs.
constexpr int SLOW_PLAYER_MS = 3000;
constexpr int LATE_ANNOUNCEMENT_MS = 300;

} // namespace

// The overview in the running window, in front of simulated players.
class TestOverview : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void rowsAppearWhileTheSearchWaits();
    void readsFillTheRowsIn();
    void aFailingPlayersRowSaysWhatFailed();
    void aSlowPlayerHoldsNoOtherRow();
    void filterNarrowsTheTableAndTheCount();
    void headerSortsAndTheOrderIsRemembered();
    void orderIsStableAcrossARefresh();
    void allPlayersAndEscapeGoBackToTheOverview();
    void enterOrDoubleClickChoosesTheRowsPlayer();
    void corruptFileIsSetAsideWithAMessage();
    void rememberedPlayerIsGreyedUntilForgotten();

private:
    static QStringList Column(const QAbstractItemModel &model, int column);
    static int RowOf(const QAbstractItemModel &model, const QString &name);
};

QStringList TestOverview::Column(const QAbstractItemModel &model, int column)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts.append(model.index(row, column).data().toString());
    return texts;
}

int TestOverview::RowOf(const QAbstractItemModel &model, const QString &name)
{
    return static_cast<int>(Column(model, COverviewModel::COL_NAME).indexOf(name));
}

// Every case starts with nothing remembered and no widths kept.
void TestOverview::init()
{
    QFile::remove(CSeenPlayers::DefaultPath());
    QFile::remove(CWindowSettings::FilePath());
}

void TestOverview::rowsAppearWhileTheSearchWaits()
{
    CMainWindowFixture fixture;
    QString error;
    QVERIFY2(fixture.Start(CMainWindowFixture::DemoPlayers(), &error), qPrintable(error));
    // A search that waits long after the players have answered.
    fixture.Window().SetSearchSpeedup(2);
    const COverviewModel &model = fixture.Window().OverviewModel();
    QVERIFY(fixture.Window().Overview().isVisible());
    int rowsWhileSearching = 0;
    int listWhileSearching = 0;
    QTimer sampler;
    connect(&sampler, &QTimer::timeout, this, [&] {
        if (fixture.Window().IsSearching())
            rowsWhileSearching = std::max(rowsWhileSearching, model.rowCount());
        if (fixture.Window().IsSearching())
            listWhileSearching = std::max(listWhileSearching, fixture.DeviceList()->count());
    });
    sampler.start(5);
    QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));
    sampler.stop();
    QCOMPARE(rowsWhileSearching, DEMO_PLAYERS);
    // The list fills meanwhile too, line i the manager's player i.
    QCOMPARE(listWhileSearching, DEMO_PLAYERS);
    QCOMPARE(model.rowCount(), DEMO_PLAYERS);
    QCOMPARE(fixture.Window().Overview().CountLabel()->text(), u"5 players"_s);
}

void TestOverview::readsFillTheRowsIn()
{
    CMainWindowFixture fixture;
    QString error;
    QVERIFY2(fixture.Start(CMainWindowFixture::DemoPlayers(), &error), qPrintable(error));
    QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));
    const COverviewModel &model = fixture.Window().OverviewModel();
    for (const QString &name : {u"Living Room"_s, u"Kitchen"_s}) {
        const int row = RowOf(model, name);
        QVERIFY(row >= 0);
        const QString ip = model.index(row, COverviewModel::COL_ADDRESS).data().toString();
        const CSimPlayerState state = fixture.Network().State(ip);
        QCOMPARE(model.index(row, COverviewModel::COL_MODEL).data().toString(), u"KS-210"_s);
        QCOMPARE(model.index(row, COverviewModel::COL_LANMAC).data().toString(), state.m_strLanMac);
        QCOMPARE(model.index(row, COverviewModel::COL_FIRMWARE).data().toString(),
                 state.m_strFirmVersion);
        QCOMPARE(model.index(row, COverviewModel::COL_WIFI).data().toString(),
                 state.m_wifiOn ? u"on"_s : u"off"_s);
        QCOMPARE(model.index(row, COverviewModel::COL_STATUS).data().toString(), u"Answering"_s);
    }
    // The classes shown through their web page are listed, not read.
    const int hall = RowOf(model, u"Hall"_s);
    QCOMPARE(model.index(hall, COverviewModel::COL_STATUS).data().toString(),
             u"Answering; its settings are on its own web page"_s);
    QVERIFY(model.index(hall, COverviewModel::COL_FIRMWARE).data().toString().isEmpty());
    QVERIFY(fixture.Network().ReceivedRequests(u"127.0.0.5"_s).isEmpty());
}

void TestOverview::aFailingPlayersRowSaysWhatFailed()
{
    QList<CSimPlayerConfig> players = CMainWindowFixture::DemoPlayers();
    // Kitchen announces itself but takes no command.
    players[1].m_faults = {CSimFault{.m_kind = CSimFault::EKind::Refuse}};
    CMainWindowFixture fixture;
    QString error;
    QVERIFY2(fixture.Start(players, &error), qPrintable(error));
    QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));
    const COverviewModel &model = fixture.Window().OverviewModel();
    const int kitchen = RowOf(model, u"Kitchen"_s);
    QCOMPARE(model.State(kitchen), COverviewModel::EState::Failed);
    const QString status = model.index(kitchen, COverviewModel::COL_STATUS).data().toString();
    QVERIFY2(status.startsWith(u"Reading failed: "_s) && status.size() > 20, qPrintable(status));
    // The other player was read all the same.
    QCOMPARE(model.State(RowOf(model, u"Living Room"_s)), COverviewModel::EState::Read);
}

void TestOverview::aSlowPlayerHoldsNoOtherRow()
{
    QList<CSimPlayerConfig> players = CMainWindowFixture::DemoPlayers();
    // Kitchen answers its first read only after a long pause.
    players[1].m_faults = {CSimFault{.m_kind = CSimFault::EKind::Delay,
                                     .m_strOperation = u"getDeviceName"_s,
                                     .m_count = 1,
                                     .m_delayMs = SLOW_PLAYER_MS}};
    // Living Room answers the search after it, so one read after another
    // would reach Living Room only when Kitchen is done.
    players[0].m_faults = {
        CSimFault{.m_kind = CSimFault::EKind::AnnounceDelay, .m_delayMs = LATE_ANNOUNCEMENT_MS}};
    CMainWindowFixture fixture;
    QString error;
    QVERIFY2(fixture.Start(players, &error), qPrintable(error));
    const COverviewModel &model = fixture.Window().OverviewModel();
    const auto state = [&model](const QString &name) {
        const int row = RowOf(model, name);
        return row < 0 ? COverviewModel::EState::Announced : model.State(row);
    };
    QTRY_VERIFY_WITH_TIMEOUT(state(u"Living Room"_s) == COverviewModel::EState::Read, WAIT_MS);
    // Read while the slow one still waits; and the window is not held.
    QCOMPARE(state(u"Kitchen"_s), COverviewModel::EState::Reading);
    QVERIFY(!CBusyRunner::IsBusy());
    QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));
    QCOMPARE(state(u"Kitchen"_s), COverviewModel::EState::Read);
}

void TestOverview::filterNarrowsTheTableAndTheCount()
{
    CMainWindowFixture fixture;
    QString error;
    QVERIFY2(fixture.Start(CMainWindowFixture::DemoPlayers(), &error), qPrintable(error));
    QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));
    COverviewPage &page = fixture.Window().Overview();
    fixture.Window().activateWindow();
    page.Table()->setFocus();
    // Ctrl+F reaches the filter box from anywhere in the window.
    QTest::keyClick(page.Table(), Qt::Key_F, Qt::ControlModifier);
    QTRY_VERIFY_WITH_TIMEOUT(page.FilterBox()->hasFocus(), WAIT_MS);
    QTest::keyClicks(page.FilterBox(), u"KS-2"_s);
    QCOMPARE(page.Proxy()->rowCount(), 3);
    QCOMPARE(page.CountLabel()->text(), u"3 of 5 players"_s);
    QTest::keyClicks(page.FilterBox(), u"10"_s);
    QStringList shown = Column(*page.Proxy(), COverviewModel::COL_NAME);
    shown.sort();
    QCOMPARE(shown, (QStringList{u"Kitchen"_s, u"Living Room"_s}));
    // An address, part of one.
    page.FilterBox()->setText(u"0.0.7"_s);
    QCOMPARE(Column(*page.Proxy(), COverviewModel::COL_NAME), QStringList{u"Studio"_s});
    QCOMPARE(page.CountLabel()->text(), u"1 of 5 players"_s);
    page.FilterBox()->clear();
    QCOMPARE(page.CountLabel()->text(), u"5 players"_s);
}

void TestOverview::headerSortsAndTheOrderIsRemembered()
{
    int widthSet = 0;
    {
        CMainWindowFixture fixture;
        QString error;
        QVERIFY2(fixture.Start(CMainWindowFixture::DemoPlayers(), &error), qPrintable(error));
        QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));
        COverviewPage &page = fixture.Window().Overview();
        QHeaderView *header = page.Table()->horizontalHeader();
        const auto click = [header](int section) {
            QTest::mouseClick(
                header->viewport(), Qt::LeftButton, {},
                QPoint(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                       header->height() / 2));
        };
        click(COverviewModel::COL_NAME);
        QCOMPARE(Column(*page.Proxy(), COverviewModel::COL_NAME),
                 (QStringList{u"Hall"_s, u"Kitchen"_s, u"Living Room"_s, u"Porch"_s, u"Studio"_s}));
        click(COverviewModel::COL_ADDRESS);
        click(COverviewModel::COL_ADDRESS);
        QCOMPARE(Column(*page.Proxy(), COverviewModel::COL_ADDRESS),
                 (QStringList{u"127.0.0.7"_s, u"127.0.0.6"_s, u"127.0.0.5"_s, u"127.0.0.3"_s,
                              u"127.0.0.2"_s}));
        widthSet = header->sectionSize(COverviewModel::COL_MODEL) + 37;
        header->resizeSection(COverviewModel::COL_MODEL, widthSet);
    }
    // The next window, before any player answers, has both.
    CMainWindowFixture next;
    QString error;
    QVERIFY(next.Start({}, &error));
    QHeaderView *header = next.Window().Overview().Table()->horizontalHeader();
    QCOMPARE(header->sectionSize(COverviewModel::COL_MODEL), widthSet);
    QCOMPARE(header->sortIndicatorSection(), int(COverviewModel::COL_ADDRESS));
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    QCOMPARE(next.Window().Overview().Proxy()->sortColumn(), int(COverviewModel::COL_ADDRESS));
    QVERIFY(next.Settle());
}

void TestOverview::orderIsStableAcrossARefresh()
{
    CMainWindowFixture fixture;
    QString error;
    QVERIFY2(fixture.Start(CMainWindowFixture::DemoPlayers(), &error), qPrintable(error));
    QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));
    const COverviewModel &model = fixture.Window().OverviewModel();
    const QStringList before = Column(model, COverviewModel::COL_ADDRESS);
    for (int round = 0; round < 3; ++round) {
        CTemplateBuilder::Control<QPushButton>(&fixture.Window(), CHalvorinSetup101Dlg::IDC_REFRESH)
            ->click();
        QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));
        QCOMPARE(Column(model, COverviewModel::COL_ADDRESS), before);
        QVERIFY(fixture.Window().Overview().isVisible());
    }
}

void TestOverview::allPlayersAndEscapeGoBackToTheOverview()
{
    CMainWindowFixture fixture;
    QString error;
    QVERIFY2(fixture.Start(CMainWindowFixture::DemoPlayers(), &error), qPrintable(error));
    QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));
    CHalvorinSetup101Dlg &window = fixture.Window();
    QPushButton *allPlayers = window.AllPlayersButton();
    QCOMPARE(allPlayers->accessibleName(), u"All players"_s);
    // Not a line of the list: line i is still the manager's player i.
    QCOMPARE(fixture.DeviceList()->count(), DEMO_PLAYERS);

    for (const bool byEscape : {false, true}) {
        QVERIFY(fixture.SelectAndWaitForPage(u"Kitchen"_s, true));
        QVERIFY(!window.Overview().isVisible());
        if (byEscape)
            QTest::keyClick(fixture.DeviceList(), Qt::Key_Escape);
        else
            QTest::mouseClick(allPlayers, Qt::LeftButton);
        QVERIFY(window.isVisible());
        QVERIFY(window.Overview().isVisible());
        QVERIFY(!window.MainView().isVisible());
        QVERIFY(!window.WebView().isVisible());
        QVERIFY(fixture.DeviceList()->selectedItems().isEmpty());
        QVERIFY(window.Manager().GetSelectedDeviceIp().isEmpty());
    }
}

void TestOverview::enterOrDoubleClickChoosesTheRowsPlayer()
{
    CMainWindowFixture fixture;
    QString error;
    QVERIFY2(fixture.Start(CMainWindowFixture::DemoPlayers(), &error), qPrintable(error));
    QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));
    CHalvorinSetup101Dlg &window = fixture.Window();
    QTableView *table = window.Overview().Table();
    QSortFilterProxyModel *proxy = window.Overview().Proxy();
    // Sorted, so the table's rows are not the list's lines.
    table->sortByColumn(COverviewModel::COL_NAME, Qt::DescendingOrder);

    table->setFocus();
    table->setCurrentIndex(proxy->index(RowOf(*proxy, u"Kitchen"_s), 0));
    QTest::keyClick(table, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(window.MainView().isVisible(), WAIT_MS);
    QCOMPARE(fixture.DeviceList()->selectedItems().first()->text(), u"Kitchen"_s);
    QCOMPARE(window.Manager().GetSelectedDeviceIp(), u"127.0.0.3"_s);

    window.ShowOverview();
    const QModelIndex porch = proxy->index(RowOf(*proxy, u"Porch"_s), 0);
    const QPoint where = table->visualRect(porch).center();
    // A person's double click: a click, then the second press.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, where);
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, where);
    QTRY_COMPARE_WITH_TIMEOUT(window.Manager().GetSelectedDeviceIp(), u"127.0.0.6"_s, WAIT_MS);
    QTRY_VERIFY_WITH_TIMEOUT(window.WebView().isVisible(), WAIT_MS);
    QCOMPARE(fixture.DeviceList()->selectedItems().first()->text(), u"Porch"_s);
    QVERIFY(!window.Overview().isVisible());
}

void TestOverview::corruptFileIsSetAsideWithAMessage()
{
    const QString path = CSeenPlayers::DefaultPath();
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("{\"format\": 1, \"players\": [{\"udn\": ");
    file.close();

    CMessageBoxRecorder boxes;
    CMainWindowFixture fixture;
    QString error;
    QVERIFY2(fixture.Start(CMainWindowFixture::DemoPlayers(), &error), qPrintable(error));
    QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));
    QCOMPARE(boxes.Texts().size(), 1);
    QVERIFY2(boxes.Texts().first().contains(u".corrupt-"_s), qPrintable(boxes.Texts().first()));
    const QStringList aside = QDir(QFileInfo(path).absolutePath())
                                  .entryList({QFileInfo(path).fileName() + u".corrupt-*"_s});
    QCOMPARE(aside.size(), 1);
    // The window carries on and remembers the players of this run.
    QCOMPARE(fixture.Window().OverviewModel().rowCount(), DEMO_PLAYERS);
    QCOMPARE(fixture.Window().SeenPlayers().Count(), DEMO_PLAYERS);
    for (const QString &name : aside)
        QFile::remove(QFileInfo(path).absolutePath() + QLatin1Char('/') + name);
}

void TestOverview::rememberedPlayerIsGreyedUntilForgotten()
{
    CSeenPlayers before;
    CSeenPlayers::SPlayer attic;
    attic.m_strUdn = u"uuid:attic"_s;
    attic.m_strName = u"Attic"_s;
    attic.m_strModel = u"KS-210"_s;
    attic.m_strIp = u"127.0.0.40"_s;
    attic.m_lastSeen = QDateTime(QDate(2026, 2, 3), QTime(4, 5), Qt::UTC);
    before.Remember(attic);
    QVERIFY(before.Save());

    {
        CMainWindowFixture fixture;
        QString error;
        QVERIFY2(fixture.Start(CMainWindowFixture::DemoPlayers(), &error), qPrintable(error));
        QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));
        COverviewPage &page = fixture.Window().Overview();
        const COverviewModel &model = fixture.Window().OverviewModel();
        QCOMPARE(model.rowCount(), DEMO_PLAYERS + 1);
        const int row = RowOf(model, u"Attic"_s);
        QVERIFY(model.index(row, COverviewModel::COL_STATUS)
                    .data()
                    .toString()
                    .startsWith(u"not seen since "_s));
        QVERIFY(model.index(row, 0).data(Qt::ForegroundRole).isValid());
        QCOMPARE(page.CountLabel()->text(), u"6 players"_s);

        // Chosen, then Delete: gone from the table and the store.
        QTableView *table = page.Table();
        table->setFocus();
        table->selectRow(RowOf(*page.Proxy(), u"Attic"_s));
        QVERIFY(page.ForgetButton()->isEnabled());
        QTest::keyClick(table, Qt::Key_Delete);
        QCOMPARE(RowOf(model, u"Attic"_s), -1);
        QVERIFY(!fixture.Window().SeenPlayers().Contains(u"uuid:attic"_s));
        QCOMPARE(page.CountLabel()->text(), u"5 players"_s);
    }
    // Written when the window closed: the players of this run, not Attic.
    CSeenPlayers after;
    QCOMPARE(after.Load(), CSeenPlayers::ELoad::Read);
    QVERIFY(!after.Contains(u"uuid:attic"_s));
    QCOMPARE(after.Count(), DEMO_PLAYERS);
}

KESTAVON_UI_TEST_MAIN(TestOverview)
#include "tst_overview.moc"
