#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "busyrunner.h"
#include "mainwindowfixture.h"
#include "messageboxrecorder.h"
#include "postedmessage.h"
#include "templatebuilder.h"
#include "uitestmain.h"

// The device page against a simulated class-2 player: renaming, switching
// Wi-Fi, and what the user sees when the player cannot be reached.
class TestSetupMainView : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void applyRenamesThePlayerAndItsLine();
    void emptyNameIsRefused_data();
    void emptyNameIsRefused();
    void nameAPlayerCannotKeepIsRefused_data();
    void nameAPlayerCannotKeepIsRefused();
    void failedApplyShowsTheErrorAndKeepsTheOldName();
    void wifiBoxSwitchesThePlayer_data();
    void wifiBoxSwitchesThePlayer();
    void failedWifiChangeShowsTheErrorAndKeepsTheClick();
    void failureWithoutTextNamesTheAction();
    void pageNeedsOnlyTheManagerAndTellsByItsSignal();
    void anotherPlayerShowsNothingOfTheOneBefore_data();
    void anotherPlayerShowsNothingOfTheOneBefore();
    void whileAnotherPlayerIsReadTheOldPageIsGone();

private:
    QWidget *Page() { return &m_pFixture->Window().MainView(); }
    template <typename T> T *PageControl(int id)
    {
        return CTemplateBuilder::Control<T>(Page(), id);
    }
    QString DeviceName() const;
    // The texts of the name and of the six information labels.
    QStringList ShownValues();

    std::unique_ptr<CMainWindowFixture> m_pFixture;
};

namespace {

constexpr int WAIT_MS = CMainWindowFixture::WAIT_MS;
const QString KITCHEN = QStringLiteral("127.0.0.3");
const QString LIVING_ROOM = QStringLiteral("127.0.0.2");
// The unreached player's line, then the cause, in every box about it.
const QString KITCHEN_REFUSED =
    QStringLiteral("The player \"Kitchen\" at 127.0.0.3 could not be reached.\n"
                   "error: socket connection failed");

} // namespace

void TestSetupMainView::init()
{
    m_pFixture = std::make_unique<CMainWindowFixture>();
    QList<CSimPlayerConfig> players = CMainWindowFixture::DemoPlayers();
    players = players.mid(0, 2);
    QString error;
    QVERIFY2(m_pFixture->Start(players, &error), qPrintable(error));
    QVERIFY(m_pFixture->WaitForDevices(2));
    QVERIFY(m_pFixture->SelectAndWaitForPage(QStringLiteral("Kitchen"), true));
}

void TestSetupMainView::cleanup()
{
    m_pFixture.reset();
}

QString TestSetupMainView::DeviceName() const
{
    return m_pFixture->Network().State(KITCHEN).m_strDeviceName;
}

QStringList TestSetupMainView::ShownValues()
{
    QStringList values{PageControl<QLabel>(CSetupMainView::IDC_DEVICE_NAME)->text()};
    for (int field = 0; field < CSetupMainView::INFO_FIELDS; ++field)
        values.append(PageControl<QLabel>(CSetupMainView::IDC_LAN_IP + field)->text());
    return values;
}

void TestSetupMainView::applyRenamesThePlayerAndItsLine()
{
    QListWidget *list = m_pFixture->DeviceList();
    const int line = m_pFixture->Line(QStringLiteral("Kitchen"));
    PageControl<QLineEdit>(1005)->setText(QStringLiteral("Den"));
    PageControl<QPushButton>(1006)->click();

    QCOMPARE(DeviceName(), QStringLiteral("Den"));
    QCOMPARE(PageControl<QLabel>(1013)->text(), QStringLiteral("Den"));
    // The text stays in the box until the page is loaded again.
    QCOMPARE(PageControl<QLineEdit>(1005)->text(), QStringLiteral("Den"));
    // Same line, new name, still selected; the manager's entry follows.
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(line)->text(), QStringLiteral("Den"));
    QCOMPARE(list->selectedItems(), QList<QListWidgetItem *>{list->item(line)});
    QCOMPARE(m_pFixture->Window().Manager().GetDevices().at(line).name, QStringLiteral("Den"));
    // Still the same player: choosing its line again asks it nothing.
    const qsizetype requests = m_pFixture->Network().ReceivedRequests(KITCHEN).size();
    list->clearSelection();
    m_pFixture->ClickLine(line);
    QCOMPARE(m_pFixture->Network().ReceivedRequests(KITCHEN).size(), requests);
}

void TestSetupMainView::emptyNameIsRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << QString();
    QTest::newRow("blanks only") << QStringLiteral("  \t ");
}

// A nameless player would be a blank line in the list, told apart from no
// other.
void TestSetupMainView::emptyNameIsRefused()
{
    QFETCH(QString, name);
    CMessageBoxRecorder boxes;
    const qsizetype requests = m_pFixture->Network().ReceivedRequests(KITCHEN).size();
    PageControl<QLineEdit>(1005)->setText(name);
    PageControl<QPushButton>(1006)->click();
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("The new name is empty.")});
    QCOMPARE(m_pFixture->Network().ReceivedRequests(KITCHEN).size(), requests);
    QCOMPARE(DeviceName(), QStringLiteral("Kitchen"));
    QCOMPARE(PageControl<QLabel>(1013)->text(), QStringLiteral("Kitchen"));
    QCOMPARE(m_pFixture->DeviceList()->selectedItems().first()->text(), QStringLiteral("Kitchen"));
}

void TestSetupMainView::nameAPlayerCannotKeepIsRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message"); // empty: the name is sent

    QTest::newRow("an escape sequence is refused")
        << QStringLiteral("Den\x1b[2J")
        << QStringLiteral("The new name holds a control character (U+001B).");
    QTest::newRow("a tab is refused")
        << QStringLiteral("Den\tRoom")
        << QStringLiteral("The new name holds a control character (U+0009).");
    QTest::newRow("a C1 control is refused")
        << QStringLiteral("Den\u009b")
        << QStringLiteral("The new name holds a control character (U+009B).");
    QTest::newRow("65 bytes are refused")
        << QString(65, QLatin1Char('x'))
        << QStringLiteral("The new name is 65 bytes long (UTF-8); a player keeps at most 64.");
    QTest::newRow("33 two-byte letters are refused")
        << QString(33, QChar(0x00FC))
        << QStringLiteral("The new name is 66 bytes long (UTF-8); a player keeps at most 64.");
    QTest::newRow("64 bytes are sent") << QString(64, QLatin1Char('x')) << QString();
}

// What the player could not keep as typed is refused before anything is sent.
void TestSetupMainView::nameAPlayerCannotKeepIsRefused()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    CMessageBoxRecorder boxes;
    const qsizetype requests = m_pFixture->Network().ReceivedRequests(KITCHEN).size();
    PageControl<QLineEdit>(1005)->setText(name);
    PageControl<QPushButton>(1006)->click();
    if (message.isEmpty()) {
        QVERIFY(boxes.Texts().isEmpty());
        QCOMPARE(DeviceName(), name);
        return;
    }
    QCOMPARE(boxes.Texts(), QStringList{message});
    QCOMPARE(m_pFixture->Network().ReceivedRequests(KITCHEN).size(), requests);
    QCOMPARE(DeviceName(), QStringLiteral("Kitchen"));
    QCOMPARE(PageControl<QLabel>(1013)->text(), QStringLiteral("Kitchen"));
}

void TestSetupMainView::failedApplyShowsTheErrorAndKeepsTheOldName()
{
    m_pFixture->Network().SetFault(KITCHEN, CSimFault{.m_kind = CSimFault::EKind::Refuse});
    CMessageBoxRecorder boxes;
    PageControl<QLineEdit>(1005)->setText(QStringLiteral("Den"));
    PageControl<QPushButton>(1006)->click();

    QCOMPARE(boxes.Texts(), QStringList{KITCHEN_REFUSED});
    QCOMPARE(boxes.Requests().first().m_icon, QMessageBox::Warning);
    QCOMPARE(PageControl<QLabel>(1013)->text(), QStringLiteral("Kitchen"));
    QCOMPARE(m_pFixture->DeviceList()->selectedItems().first()->text(), QStringLiteral("Kitchen"));
    QCOMPARE(DeviceName(), QStringLiteral("Kitchen"));
}

void TestSetupMainView::wifiBoxSwitchesThePlayer_data()
{
    QTest::addColumn<bool>("wifiOnBefore");
    QTest::addColumn<QString>("sent");
    QTest::newRow("ticked sends OFF") << true << QStringLiteral("OFF");
    QTest::newRow("cleared sends ON") << false << QStringLiteral("ON");
}

void TestSetupMainView::wifiBoxSwitchesThePlayer()
{
    QFETCH(bool, wifiOnBefore);
    QFETCH(QString, sent);
    if (!wifiOnBefore) {
        CSimPlayerState state = m_pFixture->Network().State(KITCHEN);
        state.m_wifiOn = false;
        m_pFixture->Network().SetState(KITCHEN, state);
        // Load the page again from the player.
        CPostedMessage::Post(&m_pFixture->Window(), WM_DEVICE_LIST_CHANGED);
        QTRY_VERIFY_WITH_TIMEOUT(m_pFixture->DeviceList()->selectedItems().isEmpty(), WAIT_MS);
        QVERIFY(m_pFixture->SelectAndWaitForPage(QStringLiteral("Kitchen"), true));
    }
    auto *box = PageControl<QCheckBox>(1007);
    QTRY_COMPARE_WITH_TIMEOUT(box->isChecked(), !wifiOnBefore, WAIT_MS);

    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
    QCOMPARE(box->isChecked(), wifiOnBefore);
    QCOMPARE(m_pFixture->Network().State(KITCHEN).m_wifiOn, !wifiOnBefore);
    const QByteArray last = m_pFixture->Network().ReceivedRequests(KITCHEN).last();
    QVERIFY(last.contains("setWifiOnOff"));
    QVERIFY(last.contains(sent.toLatin1()));
}

void TestSetupMainView::failedWifiChangeShowsTheErrorAndKeepsTheClick()
{
    m_pFixture->Network().SetFault(KITCHEN, CSimFault{.m_kind = CSimFault::EKind::Refuse});
    CMessageBoxRecorder boxes;
    auto *box = PageControl<QCheckBox>(1007);
    QVERIFY(!box->isChecked());
    box->click();
    QCOMPARE(boxes.Texts(), QStringList{KITCHEN_REFUSED});
    // Not set back: the box shows what the user clicked, not the player.
    QVERIFY(box->isChecked());
    QVERIFY(m_pFixture->Network().State(KITCHEN).m_wifiOn);
}

// A status reply without errcode fails without a text; the box says what
// failed instead of showing nothing.
void TestSetupMainView::failureWithoutTextNamesTheAction()
{
    m_pFixture->Network().SetFault(KITCHEN, CSimFault{.m_kind = CSimFault::EKind::NoErrcode});
    CMessageBoxRecorder boxes;
    PageControl<QCheckBox>(1007)->click();
    PageControl<QLineEdit>(1005)->setText(QStringLiteral("Den"));
    PageControl<QPushButton>(1006)->click();
    QCOMPARE(boxes.Texts(), (QStringList{QStringLiteral("Switching Wi-Fi off failed."),
                                         QStringLiteral("Renaming the player failed.")}));
}

// The page holds the manager, not the window: it shows the manager's record
// wherever it stands, and a rename reaches the window only by the signal.
void TestSetupMainView::pageNeedsOnlyTheManagerAndTellsByItsSignal()
{
    CSetupManager manager;
    CDevice device;
    device.devicename = QStringLiteral("Attic");
    device.serialnumber = QStringLiteral("SN-ATTIC");
    manager.SetDevice(device);
    CSetupMainView alone(manager);
    alone.RefreshView();
    QCOMPARE(CTemplateBuilder::Control<QLabel>(&alone, 1013)->text(), QStringLiteral("Attic"));
    QCOMPARE(CTemplateBuilder::Control<QLabel>(&alone, 1019)->text(), QStringLiteral("SN-ATTIC"));

    auto *page = static_cast<CSetupMainView *>(Page());
    QSignalSpy renamed(page, &CSetupMainView::DeviceRenamed);
    PageControl<QLineEdit>(1005)->setText(QStringLiteral("Den"));
    PageControl<QPushButton>(1006)->click();
    QCOMPARE(renamed.count(), 1);
    QCOMPARE(renamed.first().first().toString(), QStringLiteral("Den"));
}

void TestSetupMainView::anotherPlayerShowsNothingOfTheOneBefore_data()
{
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QString>("failures");
    const QString refused = QStringLiteral("error: socket connection failed");
    QTest::newRow("every read refused")
        << true << QStringList(1 + CSetupMainView::INFO_FIELDS, QString())
        << QStringLiteral("Reading the name failed: %1\nReading the Wi-Fi state failed: %1\n"
                          "Reading the device information failed: %1")
               .arg(refused);
    QStringList some(1 + CSetupMainView::INFO_FIELDS, QString());
    some[1] = QStringLiteral("127.0.0.77");
    QTest::newRow("no name, one field of the information")
        << false << some << QStringLiteral("Reading the name failed: error: Invalid Packet");
}

// Kitchen's page is shown; Living Room is chosen next and tells little or
// nothing. Its page must not pass Kitchen's values off as its own, and what
// the user does there goes to Living Room.
void TestSetupMainView::anotherPlayerShowsNothingOfTheOneBefore()
{
    QFETCH(bool, refused);
    QFETCH(QStringList, values);
    QFETCH(QString, failures);
    CSimNetwork &network = m_pFixture->Network();
    QVERIFY(!ShownValues().at(2).isEmpty());
    if (refused) {
        network.SetFault(LIVING_ROOM, CSimFault{.m_kind = CSimFault::EKind::Refuse});
    } else {
        network.SetFault(LIVING_ROOM, CSimFault{.m_kind = CSimFault::EKind::CloseWithoutReply,
                                                .m_strOperation = QStringLiteral("getDeviceName")});
        network.SetFault(LIVING_ROOM, CSimFault{.m_kind = CSimFault::EKind::MalformedXml,
                                                .m_strOperation = QStringLiteral("getDeviceInfo"),
                                                .m_text = QStringLiteral(
                                                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                                                    "<Tavrion operation=\"getDeviceInfo\" "
                                                    "errcode=\"1\"><lanip>127.0.0.77</lanip>"
                                                    "</Tavrion>")});
    }
    const qsizetype kitchenRequests = network.ReceivedRequests(KITCHEN).size();
    CMessageBoxRecorder boxes;
    QVERIFY(m_pFixture->SelectAndWaitForPage(QStringLiteral("Living Room"), true));
    QVERIFY(m_pFixture->Settle());

    QCOMPARE(ShownValues(), values);
    QCOMPARE(PageControl<QLabel>(CSetupMainView::IDC_READ_FAILURES)->text(), failures);
    auto *wifi = PageControl<QCheckBox>(CSetupMainView::IDC_WIFI_OFF);
    // Unread, the state is neither on nor off and cannot be switched.
    QCOMPARE(wifi->checkState(), refused ? Qt::PartiallyChecked : Qt::Unchecked);
    QCOMPARE(wifi->isEnabled(), !refused);
    QCOMPARE(m_pFixture->Window().Manager().GetDevice().ip, LIVING_ROOM);

    PageControl<QLineEdit>(CSetupMainView::IDC_NEW_NAME)->setText(QStringLiteral("Den"));
    PageControl<QPushButton>(CSetupMainView::IDC_APPLY)->click();
    if (!refused)
        wifi->click();
    QCOMPARE(network.ReceivedRequests(KITCHEN).size(), kitchenRequests);
    QCOMPARE(network.State(KITCHEN).m_strDeviceName, QStringLiteral("Kitchen"));
    if (refused) {
        QCOMPARE(boxes.Texts().last(),
                 QStringLiteral("The player \"Living Room\" at 127.0.0.2 could not be reached.\n"
                                "error: socket connection failed"));
    } else {
        QCOMPARE(network.State(LIVING_ROOM).m_strDeviceName, QStringLiteral("Den"));
        QVERIFY(!network.State(LIVING_ROOM).m_wifiOn);
    }
}

void TestSetupMainView::whileAnotherPlayerIsReadTheOldPageIsGone()
{
    // Long enough for the window to paint many times while it waits.
    m_pFixture->Network().SetFault(LIVING_ROOM,
                                   CSimFault{.m_kind = CSimFault::EKind::Delay,
                                             .m_strOperation = QStringLiteral("getDeviceName"),
                                             .m_delayMs = 300});
    const QStringList kitchen = ShownValues();
    bool looked = false;
    bool kitchenShown = false;
    QTimer probe;
    connect(&probe, &QTimer::timeout, this, [&] {
        if (!CBusyRunner::IsBusy())
            return;
        looked = true;
        if (Page()->isVisible() && ShownValues() == kitchen)
            kitchenShown = true;
    });
    probe.start(5);
    QVERIFY(m_pFixture->SelectAndWaitForPage(QStringLiteral("Living Room"), true));
    probe.stop();
    QVERIFY(looked);
    QVERIFY(!kitchenShown);
    QCOMPARE(PageControl<QLabel>(CSetupMainView::IDC_DEVICE_NAME)->text(),
             QStringLiteral("Living Room"));
}

KESTAVON_UI_TEST_MAIN(TestSetupMainView)
#include "tst_setupmainview.moc"
