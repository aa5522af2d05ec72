#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSemaphore>
#include <QSet>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <qpa/qwindowsysteminterface.h>

#include "aboutdlg.h"
#include "artwork.h"
#include "busyrunner.h"
#include "devicediscover.h"
#include "fileuploader.h"
#include "mainwindowfixture.h"
#include "messageboxrecorder.h"
#include "postedmessage.h"
#include "overviewpage.h"
#include "templatebuilder.h"
#include "uitestmain.h"

// The main window in front of simulated players: start-up, searching,
// choosing adapters and players, and the keys it must ignore.
class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void startUpFillsTheAdapterAndDeviceLists();
    void classTwoPlayerShowsTheDevicePageWithItsValues();
    void otherClassesShowTheWebViewAtTheirAddress_data();
    void otherClassesShowTheWebViewAtTheirAddress();
    void samePlayerAgainDoesNothingUntilTheListIsRefilled();
    void enterDoesNothingAndEscapeGoesBackToTheOverview();
    void failedRefreshSaysSo();
    void heldAnnouncementPortIsNamedAtOnce();
    void adapterChangeClearsAndSearchesAgain();
    void adapterWithTwoAddressesOffersEach();
    void refreshReadsTheAdaptersAgain();
    void messagesDuringAnOperationAreHandledAfterItInOrder();
    void delayedRefreshWaitsThenSearchesAgain();
    void clickDuringTheDelayedRefreshSelectsNothing();
    void failedSelectionShowsEachTextOnALine();
    void linesOfTheSameNameDifferInTheirTooltips();
    void quittingDuringAFirmwareDownloadAsksFirst();
    void aboutBoxFromF1AndFromTheWindowMenu();
    void artworkIsDrawnForTheScreensPixelRatio_data();
    void artworkIsDrawnForTheScreensPixelRatio();
    void logoIsPaintedInItsFrame();
};

namespace {

// What a tooltip shows: markup is drawn, plain text is shown as it is.
QString ShownText(const QString &tip)
{
    QTextDocument shown;
    if (Qt::mightBeRichText(tip))
        shown.setHtml(tip);
    else
        shown.setPlainText(tip);
    return shown.toPlainText();
}

constexpr int WAIT_MS = CMainWindowFixture::WAIT_MS;
constexpr int DEMO_PLAYERS = 5;

QStringList Lines(const QListWidget *list)
{
    QStringList lines;
    for (int line = 0; line < list->count(); ++line)
        lines.append(list->item(line)->text());
    return lines;
}

QStringList Lines(const QComboBox *list)
{
    QStringList lines;
    for (int line = 0; line < list->count(); ++line)
        lines.append(list->itemText(line));
    return lines;
}

// The players answer on 127.0.0.0/24; 127.0.5.0/24 and 127.0.7.0/24 are
// networks where nobody does.
const QString kPlayersNet = QStringLiteral("127.0.0.1");
const QString kEmptyNet = QStringLiteral("127.0.5.1");
const QString kOtherEmptyNet = QStringLiteral("127.0.7.1");

QString AddressLine(const QString &adapter, const QString &address)
{
    return adapter + QStringLiteral(" \u2014 ") + address + QStringLiteral("/24");
}

QString LabelText(QWidget *page, int id)
{
    return CTemplateBuilder::Control<QLabel>(page, id)->text();
}

// Closes the next modal window that opens, remembering its caption.
void CloseNextModal(QObject *context, QString *caption)
{
    QTimer::singleShot(0, context, [context, caption] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal) {
            CloseNextModal(context, caption);
            return;
        }
        *caption = modal->windowTitle();
        modal->close();
    });
}

} // namespace

void TestMainWindow::startUpFillsTheAdapterAndDeviceLists()
{
    CMainWindowFixture fixture;
    QString error;
    QVERIFY2(fixture.Start(CMainWindowFixture::DemoPlayers(), &error), qPrintable(error));

    // The adapter list is filled before the window shows, first line chosen.
    QComboBox *adapters = fixture.AdapterList();
    QVERIFY(adapters->count() > 0);
    QCOMPARE(adapters->count(), fixture.Window().Manager().GetAdapterDescriptions().size());
    QCOMPARE(adapters->currentIndex(), 0);
    QCOMPARE(adapters->currentText(), fixture.Window().Manager().GetAdapterDescription());
    QVERIFY(!fixture.Window().MainView().isVisible());
    QVERIFY(!fixture.Window().WebView().isVisible());

    // The first search follows on its own and finds every player.
    QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));
    const QStringList lines = Lines(fixture.DeviceList());
    QCOMPARE(
        QSet<QString>(lines.begin(), lines.end()),
        (QSet<QString>{QStringLiteral("Living Room"), QStringLiteral("Kitchen"),
                       QStringLiteral("Hall"), QStringLiteral("Porch"), QStringLiteral("Studio")}));
    // Line i is the manager's player i.
    const QList<CDeviceSummary> devices = fixture.Window().Manager().GetDevices();
    for (int line = 0; line < DEMO_PLAYERS; ++line)
        QCOMPARE(lines[line], devices[line].name);
}

void TestMainWindow::classTwoPlayerShowsTheDevicePageWithItsValues()
{
    QList<CSimPlayerConfig> players = CMainWindowFixture::DemoPlayers();
    players[1].m_state.m_strFirmVersion = QStringLiteral("3.1.4");
    players[1].m_state.m_strSerialNumber = QStringLiteral("SN-KITCHEN");
    players[1].m_state.m_strWifiIp = QStringLiteral("127.0.0.33");
    players[1].m_state.m_wifiOn = false;
    CMainWindowFixture fixture;
    QString error;
    QVERIFY2(fixture.Start(players, &error), qPrintable(error));
    QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));

    QVERIFY(fixture.SelectAndWaitForPage(QStringLiteral("Kitchen"), true));
    QWidget *page = &fixture.Window().MainView();
    const CSimPlayerState state = fixture.Network().State(QStringLiteral("127.0.0.3"));
    QVERIFY(!fixture.Window().WebView().isVisible());
    QCOMPARE(LabelText(page, 1013), QStringLiteral("Kitchen"));
    QCOMPARE(LabelText(page, 1014), state.m_strLanIp);
    QCOMPARE(LabelText(page, 1015), QStringLiteral("127.0.0.33"));
    QCOMPARE(LabelText(page, 1016), state.m_strLanMac);
    QCOMPARE(LabelText(page, 1017), state.m_strWifiMac);
    QCOMPARE(LabelText(page, 1018), QStringLiteral("3.1.4"));
    QCOMPARE(LabelText(page, 1019), QStringLiteral("SN-KITCHEN"));
    // Ticked means off.
    QVERIFY(CTemplateBuilder::Control<QCheckBox>(page, 1007)->isChecked());
    QVERIFY(!state.m_strLanMac.isEmpty());

    // Another class-2 player with Wi-Fi on replaces the values.
    QVERIFY(fixture.SelectAndWaitForPage(QStringLiteral("Living Room"), true));
    QTRY_COMPARE_WITH_TIMEOUT(LabelText(page, 1013), QStringLiteral("Living Room"), WAIT_MS);
    QVERIFY(!CTemplateBuilder::Control<QCheckBox>(page, 1007)->isChecked());
    QCOMPARE(LabelText(page, 1014), QStringLiteral("127.0.0.2"));
}

void TestMainWindow::otherClassesShowTheWebViewAtTheirAddress_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("address");
    QTest::newRow("class 0") << QStringLiteral("Hall") << QStringLiteral("127.0.0.5");
    QTest::newRow("class 1") << QStringLiteral("Porch") << QStringLiteral("127.0.0.6");
    QTest::newRow("class 3") << QStringLiteral("Studio") << QStringLiteral("127.0.0.7");
}

void TestMainWindow::otherClassesShowTheWebViewAtTheirAddress()
{
    QFETCH(QString, name);
    QFETCH(QString, address);
    CMainWindowFixture fixture;
    QString error;
    QVERIFY2(fixture.Start(CMainWindowFixture::DemoPlayers(), &error), qPrintable(error));
    QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));
    // Nothing of the browser exists until it is needed.
    QVERIFY(!fixture.Window().WebView().Explorer().View());

    QVERIFY(fixture.SelectAndWaitForPage(name, false));
    QVERIFY(!fixture.Window().MainView().isVisible());
    QCOMPARE(fixture.Window().WebView().CurrentAddress(), address);
    QCOMPARE(fixture.Window().WebView().Explorer().LocationUrl(),
             QUrl(QStringLiteral("http://") + address));
    QVERIFY(fixture.Window().WebView().Explorer().View());
    // Such players are not asked anything over the command port.
    QVERIFY(fixture.Network().ReceivedRequests(address).isEmpty());
}

void TestMainWindow::samePlayerAgainDoesNothingUntilTheListIsRefilled()
{
    CMainWindowFixture fixture;
    QString error;
    QVERIFY2(fixture.Start(CMainWindowFixture::DemoPlayers(), &error), qPrintable(error));
    QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));
    const QString kitchen = QStringLiteral("127.0.0.3");
    // The overview's reads came before any selection.
    const qsizetype beforeFirst = fixture.Network().ReceivedRequests(kitchen).size();

    QVERIFY(fixture.SelectAndWaitForPage(QStringLiteral("Kitchen"), true));
    const qsizetype afterFirst = fixture.Network().ReceivedRequests(kitchen).size();
    const qsizetype perSelection = afterFirst - beforeFirst;
    QVERIFY(perSelection > 0);

    // The selection runs to its end inside the click, so what it would have
    // sent has arrived when the click returns.
    fixture.DeviceList()->clearSelection();
    fixture.ClickLine(fixture.Line(QStringLiteral("Kitchen")));
    QCOMPARE(fixture.Network().ReceivedRequests(kitchen).size(), afterFirst);

    // An announcement refills the list: the same line is a new choice again.
    CPostedMessage::Post(&fixture.Window(), WM_DEVICE_LIST_CHANGED);
    QTRY_VERIFY_WITH_TIMEOUT(fixture.DeviceList()->selectedItems().isEmpty(), WAIT_MS);
    QTRY_VERIFY_WITH_TIMEOUT(fixture.Window().Manager().GetSelectedDeviceIp().isEmpty(), WAIT_MS);
    fixture.ClickLine(fixture.Line(QStringLiteral("Kitchen")));
    QCOMPARE(fixture.Network().ReceivedRequests(kitchen).size(), afterFirst + perSelection);
}

void TestMainWindow::enterDoesNothingAndEscapeGoesBackToTheOverview()
{
    CMainWindowFixture fixture;
    QString error;
    QVERIFY2(fixture.Start(CMainWindowFixture::DemoPlayers(), &error), qPrintable(error));
    QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));
    QVERIFY(fixture.SelectAndWaitForPage(QStringLiteral("Kitchen"), true));
    const QString kitchen = QStringLiteral("127.0.0.3");
    const qsizetype requests = fixture.Network().ReceivedRequests(kitchen).size();

    // On the Refresh button, Enter would search again and hide the page.
    auto *refresh = CTemplateBuilder::Control<QPushButton>(&fixture.Window(), 1002);
    refresh->setFocus();
    QTest::keyClick(refresh, Qt::Key_Return);
    QTest::keyClick(refresh, Qt::Key_Enter);
    // In the name box, Enter would press "apply" and rename the player.
    auto *name = CTemplateBuilder::Control<QLineEdit>(&fixture.Window().MainView(), 1005);
    name->setText(QStringLiteral("Renamed"));
    QTest::keyClick(name, Qt::Key_Return);
    QCoreApplication::processEvents();
    QVERIFY(fixture.Window().MainView().isVisible());
    QCOMPARE(fixture.DeviceList()->selectedItems().first()->text(), QStringLiteral("Kitchen"));

    // Escape would close the window; it goes back to the overview instead,
    // from the list and from the window alike.
    QTest::keyClick(fixture.DeviceList(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    QVERIFY(fixture.Window().isVisible());
    QVERIFY(!fixture.Window().MainView().isVisible());
    QVERIFY(fixture.Window().Overview().isVisible());
    QVERIFY(fixture.DeviceList()->selectedItems().isEmpty());
    QTest::keyClick(&fixture.Window(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    QVERIFY(fixture.Window().isVisible());
    QVERIFY(fixture.Window().Overview().isVisible());
    QCOMPARE(fixture.DeviceList()->count(), DEMO_PLAYERS);
    QCOMPARE(fixture.Network().ReceivedRequests(kitchen).size(), requests);
}

void TestMainWindow::failedRefreshSaysSo()
{
    CMainWindowFixture fixture;
    QString error;
    QVERIFY(fixture.Start({}, &error));
    CMessageBoxRecorder boxes;
    CTemplateBuilder::Control<QPushButton>(&fixture.Window(), 1002)->click();
    // The search waits without holding the window.
    QVERIFY(fixture.Window().IsSearching());
    QVERIFY(!CBusyRunner::IsBusy());
    QVERIFY(boxes.Texts().isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(boxes.Texts(), QStringList{QStringLiteral("failed device discovery")},
                              WAIT_MS);
    QCOMPARE(boxes.Requests().first().m_icon, QMessageBox::Warning);
    QCOMPARE(boxes.Requests().first().m_buttons, CMessageBox::EButtons::Ok);
    QCOMPARE(boxes.Requests().first().m_strCaption, QStringLiteral("tst_mainwindow"));
    QCOMPARE(fixture.DeviceList()->count(), 0);
}

// Another program on the port players answer to: the window says so, with
// the port and the program, before any search waits; once the port is free,
// Refresh searches again.
void TestMainWindow::heldAnnouncementPortIsNamedAtOnce()
{
    QTcpServer holder;
    holder.setProxy(QNetworkProxy::NoProxy);
    QVERIFY(holder.listen(QHostAddress::AnyIPv4, CDeviceDiscover::ANNOUNCE_PORT));
    CMessageBoxRecorder boxes;
    CMainWindowFixture fixture;
    QString error;
    QVERIFY(fixture.Start({}, &error));
    const QString held =
        QStringLiteral("No player can be found: TCP port 10014, to which players answer a "
                       "search, is held by tst_mainwindow (pid %1).\nClose it, then press "
                       "Refresh.")
            .arg(QCoreApplication::applicationPid());

    // The first search, due a moment after the window shows.
    QTRY_COMPARE_WITH_TIMEOUT(boxes.Texts(), QStringList{held}, WAIT_MS);
    auto *refresh = CTemplateBuilder::Control<QPushButton>(&fixture.Window(), 1002);
    refresh->click();
    QCOMPARE(boxes.Texts(), (QStringList{held, held}));
    QVERIFY(!fixture.Window().IsSearching());

    holder.close();
    refresh->click();
    QVERIFY(fixture.Window().IsSearching());
    QTRY_COMPARE_WITH_TIMEOUT(boxes.Texts().last(), QStringLiteral("failed device discovery"),
                              WAIT_MS);
    QVERIFY(fixture.Window().Manager().IsDiscoveryListening());
}

void TestMainWindow::adapterChangeClearsAndSearchesAgain()
{
    CMainWindowFixture fixture;
    QString error;
    QVERIFY2(fixture.Start(CMainWindowFixture::DemoPlayers(), &error), qPrintable(error));
    QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));
    QVERIFY(fixture.SelectAndWaitForPage(QStringLiteral("Kitchen"), true));
    QComboBox *adapters = fixture.AdapterList();
    const QString loopback = adapters->currentText();

    // Choosing the adapter already chosen changes nothing.
    emit adapters->activated(adapters->currentIndex());
    QCOMPARE(fixture.DeviceList()->count(), DEMO_PLAYERS);
    QVERIFY(fixture.Window().MainView().isVisible());

    // An adapter with no players behind it: the list empties and stays empty.
    adapters->addItem(QStringLiteral("Adapter without players"));
    adapters->setFocus();
    QTest::keyClick(adapters, Qt::Key_End);
    QCOMPARE(fixture.Window().Manager().GetAdapterDescription(),
             QStringLiteral("Adapter without players"));
    QCOMPARE(fixture.DeviceList()->count(), 0);
    QVERIFY(!fixture.Window().MainView().isVisible());
    QVERIFY(!fixture.Window().WebView().isVisible());

    // Back to the first adapter: its players are found again.
    QTest::keyClick(adapters, Qt::Key_Home);
    QCOMPARE(fixture.Window().Manager().GetAdapterDescription(), loopback);
    QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));
}

void TestMainWindow::adapterWithTwoAddressesOffersEach()
{
    const QString lab0 = QStringLiteral("lab0");
    CMainWindowFixture fixture;
    fixture.SetAdapters(std::make_shared<CFakeAdapterSource::Records>(
        CFakeAdapterSource::Records{CFakeAdapterSource::Adapter(lab0, {kPlayersNet, kEmptyNet})}));
    QString error;
    QVERIFY2(fixture.Start(CMainWindowFixture::DemoPlayers(), &error), qPrintable(error));
    CSetupManager &manager = fixture.Window().Manager();

    // One line per address. The adapter's last address, which stood for the
    // adapter alone, is chosen at first.
    QComboBox *adapters = fixture.AdapterList();
    QCOMPARE(Lines(adapters),
             (QStringList{AddressLine(lab0, kPlayersNet), AddressLine(lab0, kEmptyNet)}));
    QCOMPARE(adapters->currentIndex(), 1);
    QCOMPARE(manager.GetLocalIp(), kEmptyNet);

    // The chosen line's address is the one swept.
    adapters->setFocus();
    QTest::keyClick(adapters, Qt::Key_Home);
    QCOMPARE(manager.GetAdapterDescription(), AddressLine(lab0, kPlayersNet));
    QCOMPARE(manager.GetDiscover()->SweepAddress(), kPlayersNet);
    QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));

    QTest::keyClick(adapters, Qt::Key_End);
    QCOMPARE(manager.GetDiscover()->SweepAddress(), kEmptyNet);
    QVERIFY(fixture.Settle());
    QCOMPARE(fixture.DeviceList()->count(), 0);
}

void TestMainWindow::refreshReadsTheAdaptersAgain()
{
    const QString lab0 = QStringLiteral("lab0");
    const QString lab1 = QStringLiteral("lab1");
    auto adapters = std::make_shared<CFakeAdapterSource::Records>(
        CFakeAdapterSource::Records{CFakeAdapterSource::Adapter(lab0, {kEmptyNet})});
    CMainWindowFixture fixture;
    fixture.SetAdapters(adapters);
    QString error;
    QVERIFY2(fixture.Start(CMainWindowFixture::DemoPlayers(), &error), qPrintable(error));
    CSetupManager &manager = fixture.Window().Manager();
    QComboBox *list = fixture.AdapterList();
    QCOMPARE(Lines(list), QStringList{lab0});
    auto *refresh = CTemplateBuilder::Control<QPushButton>(&fixture.Window(), 1002);

    // The chosen adapter's address changed and another adapter came.
    *adapters = {CFakeAdapterSource::Adapter(lab0, {kPlayersNet}),
                 CFakeAdapterSource::Adapter(lab1, {kOtherEmptyNet})};
    CMessageBoxRecorder boxes;
    refresh->click();
    QCOMPARE(Lines(list), (QStringList{lab0, lab1}));
    QCOMPARE(list->currentText(), lab0);
    QCOMPARE(manager.GetLocalIp(), kPlayersNet);
    QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));

    // The chosen adapter took a second address: its plain line is gone, and
    // the address that stands for the adapter is chosen.
    *adapters = {CFakeAdapterSource::Adapter(lab0, {kEmptyNet, kPlayersNet}),
                 CFakeAdapterSource::Adapter(lab1, {kOtherEmptyNet})};
    refresh->click();
    QCOMPARE(Lines(list),
             (QStringList{AddressLine(lab0, kEmptyNet), AddressLine(lab0, kPlayersNet), lab1}));
    QCOMPARE(list->currentIndex(), 1);
    QCOMPARE(manager.GetDiscover()->SweepAddress(), kPlayersNet);
    QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));
    QVERIFY(boxes.Texts().isEmpty());
}

void TestMainWindow::messagesDuringAnOperationAreHandledAfterItInOrder()
{
    CMainWindowFixture fixture;
    QString error;
    QVERIFY2(fixture.Start(CMainWindowFixture::DemoPlayers(), &error), qPrintable(error));
    QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));
    CHalvorinSetup101Dlg &window = fixture.Window();
    QListWidget *list = fixture.DeviceList();
    list->clear();
    list->addItem(QStringLiteral("marker"));

    // The operation posts the messages, then lets the user-interface thread
    // run a few rounds: a window that handled them now would do so meanwhile.
    QSemaphore rounds;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&rounds] { rounds.release(); });
    ticker.start(5);
    const int result = CBusyRunner::Run([&] {
        CPostedMessage::Post(&window, WM_DEVICE_LIST_CHANGED);
        CPostedMessage::Post(&window, WM_SHOW_DEVICE_PAGE, 0);
        CPostedMessage::Post(&window, WM_SHOW_DEVICE_PAGE, 1);
        return rounds.tryAcquire(3, WAIT_MS) ? 1 : 0;
    });
    ticker.stop();
    QCOMPARE(result, 1);
    QCOMPARE(Lines(list), QStringList{QStringLiteral("marker")});
    QVERIFY(!window.MainView().isVisible());
    QVERIFY(!window.WebView().isVisible());

    // Afterwards: the list is refilled, and the device page, asked for last,
    // is the one that shows.
    QTRY_COMPARE_WITH_TIMEOUT(list->count(), DEMO_PLAYERS, WAIT_MS);
    QTRY_VERIFY_WITH_TIMEOUT(window.MainView().isVisible(), WAIT_MS);
    QVERIFY(!window.WebView().isVisible());
}

void TestMainWindow::delayedRefreshWaitsThenSearchesAgain()
{
    CMainWindowFixture fixture;
    QString error;
    QVERIFY2(fixture.Start(CMainWindowFixture::DemoPlayers(), &error), qPrintable(error));
    QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));
    QVERIFY(fixture.SelectAndWaitForPage(QStringLiteral("Kitchen"), true));
    const int probesBefore = fixture.Network().ProbesReceived(QStringLiteral("127.0.0.2"));

    // The wait is an operation like any other: the list stays as it is until
    // the wait is over, then the search runs as if Refresh had been pressed.
    fixture.Window().SetDelayedRefreshMs(200);
    bool listKeptDuringWait = false;
    QTimer probe;
    connect(&probe, &QTimer::timeout, this, [&] {
        if (CBusyRunner::IsBusy() && fixture.DeviceList()->count() == DEMO_PLAYERS &&
            fixture.Window().MainView().isVisible())
            listKeptDuringWait = true;
    });
    probe.start(5);
    CPostedMessage::Post(&fixture.Window(), WM_DELAYED_REFRESH);
    QTRY_VERIFY_WITH_TIMEOUT(!fixture.Window().MainView().isVisible(), WAIT_MS);
    probe.stop();
    QVERIFY(listKeptDuringWait);
    QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));
    QVERIFY(fixture.Network().ProbesReceived(QStringLiteral("127.0.0.2")) > probesBefore);
    QVERIFY(fixture.DeviceList()->selectedItems().isEmpty());
}

void TestMainWindow::clickDuringTheDelayedRefreshSelectsNothing()
{
    CMainWindowFixture fixture;
    QString error;
    QVERIFY2(fixture.Start(CMainWindowFixture::DemoPlayers(), &error), qPrintable(error));
    QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));
    QListWidget *list = fixture.DeviceList();
    QWindow *window = fixture.Window().windowHandle();
    const QPoint kitchen = list->viewport()->mapTo(
        &fixture.Window(),
        list->visualItemRect(list->item(fixture.Line(QStringLiteral("Kitchen")))).center());

    const int probesBefore = fixture.Network().ProbesReceived(QStringLiteral("127.0.0.2"));
    // The click comes from the window system while the window waits, on the
    // line that showed "Kitchen" before the wait.
    fixture.Window().SetDelayedRefreshMs(200);
    bool clicked = false;
    QTimer clicker;
    connect(&clicker, &QTimer::timeout, this, [&] {
        if (clicked || !CBusyRunner::IsBusy() || list->count() != DEMO_PLAYERS)
            return;
        clicked = true;
        const QPointF global = window->mapToGlobal(kitchen);
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
                window, kitchen, global,
                type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::LeftButton,
                type);
    });
    clicker.start(5);
    CPostedMessage::Post(&fixture.Window(), WM_DELAYED_REFRESH);
    QTRY_VERIFY_WITH_TIMEOUT(clicked, WAIT_MS);
    clicker.stop();
    QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));
    QWindowSystemInterface::flushWindowSystemEvents();
    QCoreApplication::processEvents();
    QVERIFY(fixture.Settle());
    QVERIFY(fixture.Network().ProbesReceived(QStringLiteral("127.0.0.2")) > probesBefore);

    QVERIFY(list->selectedItems().isEmpty());
    QVERIFY(fixture.Window().Manager().GetSelectedDeviceIp().isEmpty());
    QVERIFY(!fixture.Window().MainView().isVisible());
    QVERIFY(!fixture.Window().WebView().isVisible());
}

void TestMainWindow::failedSelectionShowsEachTextOnALine()
{
    CMainWindowFixture fixture;
    QString error;
    QVERIFY2(fixture.Start(CMainWindowFixture::DemoPlayers(), &error), qPrintable(error));
    QVERIFY(fixture.WaitForDevices(DEMO_PLAYERS));
    // Two of the selection's three commands fail, each in its own way.
    fixture.Network().SetFault(QStringLiteral("127.0.0.3"),
                               CSimFault{.m_kind = CSimFault::EKind::MalformedXml,
                                         .m_strOperation = QStringLiteral("getDeviceName")});
    fixture.Network().SetFault(QStringLiteral("127.0.0.3"),
                               CSimFault{.m_kind = CSimFault::EKind::CloseWithoutReply,
                                         .m_strOperation = QStringLiteral("getWifiOnOff")});
    CMessageBoxRecorder boxes;
    QVERIFY(fixture.SelectAndWaitForPage(QStringLiteral("Kitchen"), true));
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("error: xml parsing loadXML() failed\n"
                                                       "error: Invalid Packet")});
}

void TestMainWindow::linesOfTheSameNameDifferInTheirTooltips()
{
    const QList<CSimPlayerConfig> players = {
        CMainWindowFixture::Player(QStringLiteral("127.0.0.2"), QStringLiteral("KS-210"),
                                   QStringLiteral("Speaker")),
        // Markup in what a player announces is shown as written.
        CMainWindowFixture::Player(
            QStringLiteral("127.0.0.3"),
            QStringLiteral("<b>KS-100</b><img src=\"file:///etc/hostname\">"),
            QStringLiteral("Speaker"))};
    CMainWindowFixture fixture;
    QString error;
    QVERIFY2(fixture.Start(players, &error), qPrintable(error));
    QVERIFY(fixture.WaitForDevices(2));
    QListWidget *list = fixture.DeviceList();
    const QList<CDeviceSummary> devices = fixture.Window().Manager().GetDevices();
    QSet<QString> tips;
    for (int line = 0; line < list->count(); ++line) {
        QCOMPARE(list->item(line)->text(), QStringLiteral("Speaker"));
        QCOMPARE(ShownText(list->item(line)->toolTip()),
                 devices[line].model + QLatin1Char('\n') + devices[line].ip);
        tips.insert(list->item(line)->toolTip());
    }
    QCOMPARE(tips.size(), 2);

    // A renamed line keeps its tooltip.
    list->setCurrentRow(0);
    const QString tip = list->item(0)->toolTip();
    fixture.Window().RenameSelectedDevice(QStringLiteral("Den"));
    QCOMPARE(list->item(0)->text(), QStringLiteral("Den"));
    QCOMPARE(list->item(0)->toolTip(), tip);
}

void TestMainWindow::quittingDuringAFirmwareDownloadAsksFirst()
{
    CMainWindowFixture fixture;
    QString error;
    QVERIFY(fixture.Start({}, &error));
    const QString question =
        QStringLiteral("A player is still downloading its firmware from this computer.\nQuitting "
                       "now cuts the download. Do you want to quit anyway?");
    {
        // Stands for an upload under way: alive, never started.
        CFileUpLoader download(-1);
        CMessageBoxRecorder no(QMessageBox::No);
        QVERIFY(!fixture.Window().close());
        QVERIFY(fixture.Window().isVisible());
        QCOMPARE(no.Texts(), QStringList{question});

        CMessageBoxRecorder yes(QMessageBox::Yes);
        QVERIFY(fixture.Window().close());
        QVERIFY(!fixture.Window().isVisible());
        QCOMPARE(yes.Texts(), QStringList{question});
    }
    // Without a download the window closes without a word.
    fixture.Window().show();
    CMessageBoxRecorder none;
    QVERIFY(fixture.Window().close());
    QVERIFY(none.Texts().isEmpty());
}

void TestMainWindow::aboutBoxFromF1AndFromTheWindowMenu()
{
    CMainWindowFixture fixture;
    QString error;
    QVERIFY(fixture.Start({}, &error));
    QString caption;
    CloseNextModal(this, &caption);
    QTest::keyClick(&fixture.Window(), Qt::Key_F1);
    QCOMPARE(caption, QStringLiteral("About Kestavon Setup"));

    // The window's menu offers the about box.
    QString item;
    caption.clear();
    QTimer::singleShot(0, this, [this, &item, &caption] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu || menu->actions().isEmpty())
            return;
        item = menu->actions().first()->text();
        CloseNextModal(this, &caption);
        menu->actions().first()->trigger();
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(400, 20),
                            fixture.Window().mapToGlobal(QPoint(400, 20)));
    QApplication::sendEvent(&fixture.Window(), &event);
    QCOMPARE(item, QStringLiteral("&About Kestavon Setup..."));
    QTRY_COMPARE_WITH_TIMEOUT(caption, QStringLiteral("About Kestavon Setup"), WAIT_MS);
}

void TestMainWindow::artworkIsDrawnForTheScreensPixelRatio_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::newRow("ordinary screen") << 1.0;
    QTest::newRow("one and a half") << 1.5;
    QTest::newRow("double density") << 2.0;
}

// Drawn from the SVG at the pixels the screen has, not enlarged from a
// picture of the natural size: the edges stay sharp.
void TestMainWindow::artworkIsDrawnForTheScreensPixelRatio()
{
    QFETCH(qreal, ratio);
    const QImage logo = CArtwork::Logo(ratio);
    QCOMPARE(logo.size(), QSize(CArtwork::LOGO_WIDTH, CArtwork::LOGO_HEIGHT) * ratio);
    QCOMPARE(logo.devicePixelRatio(), ratio);
    QCOMPARE(logo.deviceIndependentSize().toSize(),
             QSize(CArtwork::LOGO_WIDTH, CArtwork::LOGO_HEIGHT));
    // The player's light, fully opaque, sits where it sits at ratio 1.
    QCOMPARE(qAlpha(logo.pixel(QPoint(121, 49) * ratio)), 255);

    const QIcon icon = CArtwork::Icon(CArtwork::ICON_MAIN);
    constexpr int ICON_SIDE = 32;
    const QPixmap pixmap = icon.pixmap(QSize(ICON_SIDE, ICON_SIDE), ratio);
    QCOMPARE(pixmap.size(), QSize(ICON_SIDE, ICON_SIDE) * ratio);
    QCOMPARE(pixmap.devicePixelRatio(), ratio);
    QVERIFY(!icon.availableSizes().isEmpty());
}

void TestMainWindow::logoIsPaintedInItsFrame()
{
    CMainWindowFixture fixture;
    QString error;
    QVERIFY(fixture.Start({}, &error));
    QVERIFY(!fixture.Window().windowIcon().isNull());
    const QImage logo = CArtwork::Logo();
    QCOMPARE(logo.size(), QSize(CArtwork::LOGO_WIDTH, CArtwork::LOGO_HEIGHT));

    const QImage window = fixture.Window().grab().toImage();
    const QPoint frame =
        CTemplateBuilder::Control<QWidget>(&fixture.Window(), 1003)->geometry().topLeft();
    // Points inside the logo where it is fully opaque: the player's body,
    // its display and its light.
    const QList<QPoint> points = {{70, 35}, {80, 50}, {121, 49}, {110, 66}};
    for (const QPoint &point : points) {
        QCOMPARE(qAlpha(logo.pixel(point)), 255);
        QCOMPARE(window.pixelColor(frame + point).rgb(), logo.pixelColor(point).rgb());
    }
}

KESTAVON_UI_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
