#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "aplistdlg.h"
#include "apsettingdlg.h"
#include "firmwareupdatedlg.h"
#include "mainwindowfixture.h"
#include "messageboxrecorder.h"
#include "modalwatcher.h"
#include "setupdlg.h"
#include "templatebuilder.h"
#include "uitestmain.h"

// Walks through the main window as a person would: every setting of a
// class-2 player from its device page, and the new search that follows a
// reboot or a reset.
class TestSettingsWalk : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void everySettingFromTheDevicePage();
    void removingTheConnectedNetworkSearchesAgain();
    void pageButtonsOpenTheirDialogs_data();
    void pageButtonsOpenTheirDialogs();

private:
    void ClickPageButton(int id);
    // After a reset or reboot: the page goes, the player is found again.
    bool WaitForNewSearch();

    std::unique_ptr<CMainWindowFixture> m_pFixture;
};

namespace {

constexpr int WAIT_MS = CMainWindowFixture::WAIT_MS;
const QString KITCHEN = QStringLiteral("127.0.0.3");
// Short, so the walk never waits long; the player is back before the search.
constexpr int UNREACHABLE_MS = 100;
constexpr int DELAYED_REFRESH_MS = 300;
constexpr int PLAYERS = 2;

template <typename T> T *Child(const QWidget *dialog, int id)
{
    return CTemplateBuilder::Control<T>(dialog, id);
}

// Clicks the row of essid in the access point list.
void ClickAccessPoint(QDialog *list, const QString &essid)
{
    auto *view = Child<QTreeWidget>(list, CAPListDlg::IDC_AP_LIST);
    const QList<QTreeWidgetItem *> rows = view->findItems(essid, Qt::MatchExactly);
    if (rows.isEmpty()) {
        list->done(0);
        return;
    }
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualItemRect(rows.first()).center());
}

} // namespace

void TestSettingsWalk::init()
{
    m_pFixture = std::make_unique<CMainWindowFixture>();
    QString error;
    QVERIFY2(m_pFixture->Start(CMainWindowFixture::DemoPlayers().mid(0, PLAYERS), &error),
             qPrintable(error));
    m_pFixture->Network().SetUnreachableTime(UNREACHABLE_MS);
    m_pFixture->Window().SetDelayedRefreshMs(DELAYED_REFRESH_MS);
    QVERIFY(m_pFixture->WaitForDevices(PLAYERS));
    QVERIFY(m_pFixture->SelectAndWaitForPage(QStringLiteral("Kitchen"), true));
}

void TestSettingsWalk::cleanup()
{
    m_pFixture.reset();
}

void TestSettingsWalk::ClickPageButton(int id)
{
    Child<QPushButton>(&m_pFixture->Window().MainView(), id)->click();
}

bool TestSettingsWalk::WaitForNewSearch()
{
    const QWidget *page = &m_pFixture->Window().MainView();
    return QTest::qWaitFor([page] { return !page->isVisible(); }, WAIT_MS) &&
           m_pFixture->WaitForDevices(PLAYERS);
}

void TestSettingsWalk::everySettingFromTheDevicePage()
{
    CMessageBoxRecorder boxes(QMessageBox::Yes);
    QWidget *page = &m_pFixture->Window().MainView();

    // Rename.
    Child<QLineEdit>(page, CSetupMainView::IDC_NEW_NAME)->setText(QStringLiteral("Den"));
    ClickPageButton(CSetupMainView::IDC_APPLY);
    QCOMPARE(m_pFixture->Network().State(KITCHEN).m_strDeviceName, QStringLiteral("Den"));

    // Wi-Fi off and on again.
    Child<QAbstractButton>(page, CSetupMainView::IDC_WIFI_OFF)->click();
    QVERIFY(!m_pFixture->Network().State(KITCHEN).m_wifiOn);
    Child<QAbstractButton>(page, CSetupMainView::IDC_WIFI_OFF)->click();
    QVERIFY(m_pFixture->Network().State(KITCHEN).m_wifiOn);

    // Another access point: the list closes, nothing else follows.
    CModalWatcher watcher;
    watcher.Expect([](QDialog *list) { ClickAccessPoint(list, QStringLiteral("Neighbour")); });
    watcher.Expect([](QDialog *setting) {
        Child<QLineEdit>(setting, CAPSettingDlg::IDC_PASSWORD)->setText(QStringLiteral("pw"));
        Child<QPushButton>(setting, CAPSettingDlg::IDC_CONNECT)->click();
    });
    ClickPageButton(CSetupMainView::IDC_WIFI_SELECTION);
    QCOMPARE(watcher.Pending(), 0);
    const QList<CSimAccessPoint> accessPoints = m_pFixture->Network().State(KITCHEN).m_accessPoints;
    QCOMPARE(accessPoints.at(1).m_strEssid, QStringLiteral("Neighbour"));
    QVERIFY(accessPoints.at(1).m_connected);
    QVERIFY(!accessPoints.at(0).m_connected);
    QVERIFY(m_pFixture->Settle());
    QVERIFY(page->isVisible());

    // A static LAN address, then the reboot and the new search.
    const QStringList addresses = {QStringLiteral("192.168.7.20"), QStringLiteral("255.255.255.0"),
                                   QStringLiteral("192.168.7.1"), QStringLiteral("192.168.7.2"),
                                   QStringLiteral("192.168.7.3")};
    watcher.Expect([&addresses](QDialog *setup) {
        auto *mode = Child<QComboBox>(setup, CSetupDlg::IDC_SETUP_MODE);
        QTest::keyClick(mode, Qt::Key_Up);
        for (int field = 0; field < CSetupDlg::ADDRESS_FIELDS; ++field)
            Child<QLineEdit>(setup, CSetupDlg::IDC_IP_ADDRESS + field)->setText(addresses[field]);
        Child<QPushButton>(setup, CModalDialog::IDOK)->click();
    });
    ClickPageButton(CSetupMainView::IDC_LAN_SETUP);
    const CSimNetSetup lan = m_pFixture->Network().State(KITCHEN).m_lanSetup;
    QCOMPARE(lan.m_strSetupMode, QStringLiteral("STATIC"));
    QCOMPARE(lan.m_strIpAddress, addresses[0]);
    QCOMPARE(lan.m_strSecondDns, addresses[4]);
    // Sent without waiting for an answer: the player may still be reading it.
    QTRY_VERIFY_WITH_TIMEOUT(
        m_pFixture->Network().ReceivedRequests(KITCHEN).last().contains("rebootDevice"), WAIT_MS);
    QVERIFY(WaitForNewSearch());
    QVERIFY(m_pFixture->Line(QStringLiteral("Den")) >= 0);
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("Do you want to reboot ?")});
}

void TestSettingsWalk::removingTheConnectedNetworkSearchesAgain()
{
    CMessageBoxRecorder boxes(QMessageBox::Yes);
    CModalWatcher watcher;
    watcher.Expect([](QDialog *list) { ClickAccessPoint(list, QStringLiteral("Kestavon Home")); });
    watcher.Expect(
        [](QDialog *setting) { Child<QPushButton>(setting, CAPSettingDlg::IDC_REMOVE)->click(); });
    ClickPageButton(CSetupMainView::IDC_WIFI_SELECTION);
    QCOMPARE(watcher.Pending(), 0);
    const QList<QByteArray> requests = m_pFixture->Network().ReceivedRequests(KITCHEN);
    QVERIFY(requests.at(requests.size() - 2).contains("deleteProfile"));
    QVERIFY(requests.last().contains("resetRender"));
    QVERIFY(WaitForNewSearch());
    QVERIFY(m_pFixture->Line(QStringLiteral("Kitchen")) >= 0);
}

void TestSettingsWalk::pageButtonsOpenTheirDialogs_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("caption");
    QTest::newRow("go to wifi selection")
        << int(CSetupMainView::IDC_WIFI_SELECTION) << QStringLiteral("Wifi Network Selection");
    QTest::newRow("Lan Setup") << int(CSetupMainView::IDC_LAN_SETUP) << QStringLiteral("Lan Setup");
    QTest::newRow("Wifi Setup") << int(CSetupMainView::IDC_WIFI_SETUP)
                                << QStringLiteral("Wifi Setup");
    QTest::newRow("Update") << int(CSetupMainView::IDC_FIRMWARE_UPDATE)
                            << QStringLiteral("Firmware Update");
}

void TestSettingsWalk::pageButtonsOpenTheirDialogs()
{
    QFETCH(int, button);
    QFETCH(QString, caption);
    CMessageBoxRecorder boxes;
    QString seen;
    bool modal = false;
    CModalWatcher watcher;
    watcher.Expect([&seen, &modal](QDialog *dialog) {
        seen = dialog->windowTitle();
        modal = dialog->isModal();
        dialog->reject();
    });
    ClickPageButton(button);
    QCOMPARE(seen, caption);
    QVERIFY(modal);
    QVERIFY(boxes.Texts().isEmpty());
    // Closing any of them asks the main window for nothing.
    QVERIFY(m_pFixture->Settle());
    QVERIFY(m_pFixture->Window().MainView().isVisible());
}

KESTAVON_UI_TEST_MAIN(TestSettingsWalk)
#include "tst_settingswalk.moc"
