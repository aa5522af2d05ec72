#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "messageboxrecorder.h"
#include "playerfixture.h"
#include "postedmessage.h"
#include "setupdlg.h"
#include "templatebuilder.h"
#include "uitestmain.h"

// The IP set-up against a simulated player: what it loads, what "setup"
// sends, and when the player reboots and the main window searches again.
class TestSetupDlg : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void loadsTheInterface_data();
    void loadsTheInterface();
    void lowerCaseStaticLoadsAsDhcp();
    void modeHidesTheBoxesAndKeepsTheirTexts();
    void noSendsWithoutRebootOrRefresh();
    void yesAndFailingSendShowsTheErrorAndSendsNoReboot();
    void yesAndSuccessRebootsAndPostsTheDelayedRefresh_data();
    void yesAndSuccessRebootsAndPostsTheDelayedRefresh();
    void failedRebootIsReportedAndTheDialogStays();
    void loadFailureOpensEmptyInDhcp();
    void closeSendsNothing();
    void enterInABoxIsSetup();
    void wrongStaticAddressIsRefusedNamingTheField_data();
    void wrongStaticAddressIsRefusedNamingTheField();
    void emptyGatewayAndNameServersAreSent();

private:
    void Open(bool lan);
    QLineEdit *Box(int field) const;
    QComboBox *Mode() const;
    QStringList Texts() const;
    void Setup();

    std::unique_ptr<CPlayerFixture> m_pFixture;
    std::unique_ptr<CSetupDlg> m_pDialog;
};

namespace {

constexpr int WAIT_MS = 20000;

CSimNetSetup NetSetup(const QString &mode, const QString &prefix)
{
    CSimNetSetup setup;
    setup.m_strSetupMode = mode;
    setup.m_strIpAddress = prefix + QStringLiteral(".20");
    setup.m_strSubnetMask = QStringLiteral("255.255.255.0");
    setup.m_strDefaultGateway = prefix + QStringLiteral(".1");
    setup.m_strPrimaryDns = prefix + QStringLiteral(".2");
    setup.m_strSecondDns = prefix + QStringLiteral(".3");
    return setup;
}

QStringList Fields(const CSimNetSetup &setup)
{
    return {setup.m_strIpAddress, setup.m_strSubnetMask, setup.m_strDefaultGateway,
            setup.m_strPrimaryDns, setup.m_strSecondDns};
}

} // namespace

void TestSetupDlg::init()
{
    CSimPlayerConfig player = CPlayerFixture::DefaultPlayer();
    player.m_state.m_lanSetup = NetSetup(QStringLiteral("STATIC"), QStringLiteral("10.0.0"));
    player.m_state.m_wifiSetup = NetSetup(QStringLiteral("DHCP"), QStringLiteral("10.0.1"));
    m_pFixture = std::make_unique<CPlayerFixture>();
    QString error;
    QVERIFY2(m_pFixture->Start(player, &error), qPrintable(error));
}

void TestSetupDlg::cleanup()
{
    m_pDialog.reset();
    m_pFixture.reset();
}

void TestSetupDlg::Open(bool lan)
{
    m_pDialog = std::make_unique<CSetupDlg>(m_pFixture->Manager(), lan);
    m_pDialog->show();
}

QLineEdit *TestSetupDlg::Box(int field) const
{
    return CTemplateBuilder::Control<QLineEdit>(m_pDialog.get(), CSetupDlg::IDC_IP_ADDRESS + field);
}

QComboBox *TestSetupDlg::Mode() const
{
    return CTemplateBuilder::Control<QComboBox>(m_pDialog.get(), CSetupDlg::IDC_SETUP_MODE);
}

QStringList TestSetupDlg::Texts() const
{
    QStringList texts;
    for (int field = 0; field < CSetupDlg::ADDRESS_FIELDS; ++field)
        texts.append(Box(field)->text());
    return texts;
}

void TestSetupDlg::Setup()
{
    CTemplateBuilder::Control<QPushButton>(m_pDialog.get(), CModalDialog::IDOK)->click();
}

void TestSetupDlg::loadsTheInterface_data()
{
    QTest::addColumn<bool>("lan");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("modeLine");
    QTest::newRow("LAN, static") << true << QStringLiteral("Lan Setup")
                                 << QStringLiteral("getLanSetup") << 0;
    QTest::newRow("Wi-Fi, DHCP") << false << QStringLiteral("Wifi Setup")
                                 << QStringLiteral("getWifiSetup") << 1;
}

void TestSetupDlg::loadsTheInterface()
{
    QFETCH(bool, lan);
    QFETCH(QString, caption);
    QFETCH(QString, operation);
    QFETCH(int, modeLine);
    Open(lan);
    QCOMPARE(m_pDialog->windowTitle(), caption);
    QCOMPARE(m_pFixture->Operations(), QStringList{operation});
    QCOMPARE(Mode()->count(), 2);
    QCOMPARE(Mode()->itemText(0), QStringLiteral("STATIC"));
    QCOMPARE(Mode()->itemText(1), QStringLiteral("DHCP"));
    QCOMPARE(Mode()->currentIndex(), modeLine);
    const CSimPlayerState state = m_pFixture->State();
    QCOMPARE(Texts(), Fields(lan ? state.m_lanSetup : state.m_wifiSetup));
    for (int field = 0; field < CSetupDlg::ADDRESS_FIELDS; ++field)
        QCOMPARE(Box(field)->isVisible(), modeLine == 0);
}

void TestSetupDlg::lowerCaseStaticLoadsAsDhcp()
{
    CSimPlayerState state = m_pFixture->State();
    state.m_lanSetup.m_strSetupMode = QStringLiteral("static");
    m_pFixture->Network().SetState(CPlayerFixture::PlayerIp(), state);
    CMessageBoxRecorder boxes(QMessageBox::No);
    Open(true);
    QCOMPARE(Mode()->currentText(), QStringLiteral("DHCP"));
    QVERIFY(!Box(0)->isVisible());
    Setup();
    QCOMPARE(m_pFixture->State().m_lanSetup.m_strSetupMode, QStringLiteral("DHCP"));
}

void TestSetupDlg::modeHidesTheBoxesAndKeepsTheirTexts()
{
    CMessageBoxRecorder boxes(QMessageBox::No);
    Open(true);
    Box(0)->setText(QStringLiteral("typed"));
    // As a person would choose: the arrow keys on the closed list.
    QTest::keyClick(Mode(), Qt::Key_Down);
    QCOMPARE(Mode()->currentIndex(), 1);
    QVERIFY(!Box(0)->isVisible());
    QTest::keyClick(Mode(), Qt::Key_Up);
    QVERIFY(Box(0)->isVisible());
    QCOMPARE(Box(0)->text(), QStringLiteral("typed"));

    // Hidden boxes are sent with DHCP all the same.
    QTest::keyClick(Mode(), Qt::Key_Down);
    Setup();
    QStringList expected = Fields(NetSetup(QString(), QStringLiteral("10.0.0")));
    expected[0] = QStringLiteral("typed");
    const CSimNetSetup sent = m_pFixture->State().m_lanSetup;
    QCOMPARE(sent.m_strSetupMode, QStringLiteral("DHCP"));
    QCOMPARE(Fields(sent), expected);
}

void TestSetupDlg::noSendsWithoutRebootOrRefresh()
{
    CMessageBoxRecorder boxes(QMessageBox::No);
    Open(false);
    Setup();
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("Do you want to reboot ?")});
    QCOMPARE(boxes.Requests().first().m_buttons, CMessageBox::EButtons::YesNo);
    QCOMPARE(m_pFixture->Operations(),
             (QStringList{QStringLiteral("getWifiSetup"), QStringLiteral("setWifiSetup")}));
    QVERIFY(!m_pDialog->isVisible());
    QCOMPARE(m_pDialog->result(), CModalDialog::IDOK);
    QCoreApplication::sendPostedEvents(m_pFixture.get());
    QVERIFY(m_pFixture->PostedMessages().isEmpty());
}

void TestSetupDlg::yesAndFailingSendShowsTheErrorAndSendsNoReboot()
{
    m_pFixture->SetFault(CSimFault{.m_kind = CSimFault::EKind::Errcode,
                                   .m_strOperation = QStringLiteral("setLanSetup")});
    CMessageBoxRecorder boxes(QMessageBox::Yes);
    Open(true);
    Box(1)->setText(QStringLiteral("255.0.0.0"));
    Setup();
    QCOMPARE(boxes.Texts().size(), 2);
    QCOMPARE(boxes.Texts().last(), m_pFixture->Manager().GetCommandErrorText());
    QVERIFY(!boxes.Texts().last().isEmpty());
    QCOMPARE(boxes.Requests().last().m_buttons, CMessageBox::EButtons::Ok);
    QVERIFY(!m_pFixture->Operations().contains(QStringLiteral("rebootDevice")));
    // Open, with the user's input.
    QVERIFY(m_pDialog->isVisible());
    QCOMPARE(Box(1)->text(), QStringLiteral("255.0.0.0"));
    QCoreApplication::sendPostedEvents(m_pFixture.get());
    QVERIFY(m_pFixture->PostedMessages().isEmpty());
}

void TestSetupDlg::yesAndSuccessRebootsAndPostsTheDelayedRefresh_data()
{
    QTest::addColumn<bool>("lan");
    QTest::addColumn<QString>("send");
    QTest::newRow("LAN") << true << QStringLiteral("setLanSetup");
    QTest::newRow("Wi-Fi") << false << QStringLiteral("setWifiSetup");
}

void TestSetupDlg::yesAndSuccessRebootsAndPostsTheDelayedRefresh()
{
    QFETCH(bool, lan);
    QFETCH(QString, send);
    CMessageBoxRecorder boxes(QMessageBox::Yes);
    Open(lan);
    Box(4)->setText(QStringLiteral("9.9.9.9"));
    Setup();
    // The reboot is sent without waiting for an answer: the player may still be
    // reading it.
    QTRY_COMPARE_WITH_TIMEOUT(m_pFixture->Operations().mid(1),
                              (QStringList{send, QStringLiteral("rebootDevice")}), WAIT_MS);
    QVERIFY(m_pFixture->LastRequest(send).contains("<seconddns>9.9.9.9</seconddns>"));
    QVERIFY(!m_pDialog->isVisible());
    QCOMPARE(m_pDialog->result(), CModalDialog::IDOK);
    QCoreApplication::sendPostedEvents(m_pFixture.get());
    QCOMPARE(m_pFixture->PostedMessages(), QList<int>{WM_DELAYED_REFRESH});
}

// The set-up is answered late, and meanwhile the player stops taking
// connections: the reboot that follows cannot reach it. The user learns that
// the set-up waits for a restart, and no search waits for the player.
void TestSetupDlg::failedRebootIsReportedAndTheDialogStays()
{
    m_pFixture->SetFault(CSimFault{.m_kind = CSimFault::EKind::Delay,
                                   .m_strOperation = QStringLiteral("setLanSetup"),
                                   .m_delayMs = 2000});
    bool cutOff = false;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
        if (!cutOff && m_pFixture->Operations().contains(QStringLiteral("setLanSetup"))) {
            cutOff = true;
            m_pFixture->SetFault(CSimFault{.m_kind = CSimFault::EKind::Refuse});
        }
    });
    watcher.start(5);
    CMessageBoxRecorder boxes(QMessageBox::Yes);
    Open(true);
    Box(4)->setText(QStringLiteral("9.9.9.9"));
    Setup();
    watcher.stop();
    QVERIFY(cutOff);

    QCOMPARE(boxes.Texts().size(), 2);
    QCOMPARE(boxes.Texts().last(),
             QStringLiteral("The set-up was stored, but rebooting the player failed: it takes "
                            "effect when the player restarts.\nThe player at 127.0.0.2 could not "
                            "be reached.\nerror: socket connection failed"));
    QCOMPARE(boxes.Requests().last().m_buttons, CMessageBox::EButtons::Ok);
    QCOMPARE(m_pFixture->State().m_lanSetup.m_strSecondDns, QStringLiteral("9.9.9.9"));
    QVERIFY(!m_pFixture->Operations().contains(QStringLiteral("rebootDevice")));
    QVERIFY(m_pDialog->isVisible());
    QCoreApplication::sendPostedEvents(m_pFixture.get());
    QVERIFY(m_pFixture->PostedMessages().isEmpty());
}

void TestSetupDlg::loadFailureOpensEmptyInDhcp()
{
    m_pFixture->SetFault(CSimFault{.m_kind = CSimFault::EKind::Refuse});
    CMessageBoxRecorder boxes(QMessageBox::No);
    Open(true);
    // The player is named beside the cause.
    QCOMPARE(boxes.Texts(),
             QStringList{QStringLiteral("The player at 127.0.0.2 could not be "
                                        "reached.\nerror: socket connection failed")});
    QVERIFY(m_pDialog->isVisible());
    QCOMPARE(Mode()->currentText(), QStringLiteral("DHCP"));
    QCOMPARE(Texts(), QStringList(CSetupDlg::ADDRESS_FIELDS, QString()));
}

void TestSetupDlg::closeSendsNothing()
{
    CMessageBoxRecorder boxes;
    Open(true);
    CTemplateBuilder::Control<QPushButton>(m_pDialog.get(), CModalDialog::IDCANCEL)->click();
    QVERIFY(!m_pDialog->isVisible());
    QCOMPARE(m_pDialog->result(), CModalDialog::IDCANCEL);
    QCOMPARE(m_pFixture->Operations(), QStringList{QStringLiteral("getLanSetup")});
    QVERIFY(boxes.Texts().isEmpty());
}

void TestSetupDlg::enterInABoxIsSetup()
{
    CMessageBoxRecorder boxes(QMessageBox::No);
    Open(true);
    Box(0)->setFocus();
    QTest::keyClick(Box(0), Qt::Key_Return);
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("Do you want to reboot ?")});
    QCOMPARE(m_pFixture->Operations().last(), QStringLiteral("setLanSetup"));
    QVERIFY(!m_pDialog->isVisible());
    QCOMPARE(m_pDialog->result(), CModalDialog::IDOK);
}

void TestSetupDlg::wrongStaticAddressIsRefusedNamingTheField_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("address out of range")
        << 0 << QStringLiteral("300.1.1.1")
        << QStringLiteral("IP Address: '300.1.1.1' is not an IPv4 address.");
    QTest::newRow("address empty") << 0 << QString() << QStringLiteral("IP Address is empty.");
    QTest::newRow("mask not numbers")
        << 1 << QStringLiteral("abc.def")
        << QStringLiteral("Subnet Mask: 'abc.def' is not a subnet mask.");
    QTest::newRow("mask with a gap")
        << 1 << QStringLiteral("255.0.255.0")
        << QStringLiteral("Subnet Mask: '255.0.255.0' is not a subnet mask.");
    QTest::newRow("mask empty") << 1 << QString() << QStringLiteral("Subnet Mask is empty.");
    QTest::newRow("gateway with a port")
        << 2 << QStringLiteral("10.0.0.1:80")
        << QStringLiteral("Default Gateway: '10.0.0.1:80' is not an IPv4 address.");
    QTest::newRow("first name server a host name")
        << 3 << QStringLiteral("dns.example")
        << QStringLiteral("Primary Dns Server: 'dns.example' is not an IPv4 address.");
    QTest::newRow("second name server with a blank")
        << 4 << QStringLiteral(" 10.0.0.3")
        << QStringLiteral("Secondary Dns Server: ' 10.0.0.3' is not an IPv4 address.");
}

void TestSetupDlg::wrongStaticAddressIsRefusedNamingTheField()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    CMessageBoxRecorder boxes(QMessageBox::Yes);
    Open(true);
    m_pDialog->activateWindow();
    Box(field)->setText(text);
    Setup();
    // Neither the reboot question nor anything sent: only what is wrong.
    QCOMPARE(boxes.Texts(), QStringList{message});
    QCOMPARE(m_pFixture->Operations(), QStringList{QStringLiteral("getLanSetup")});
    QVERIFY(m_pDialog->isVisible());
    QCOMPARE(m_pDialog->focusWidget(), Box(field));
}

void TestSetupDlg::emptyGatewayAndNameServersAreSent()
{
    CMessageBoxRecorder boxes(QMessageBox::No);
    Open(true);
    for (int field = 2; field < CSetupDlg::ADDRESS_FIELDS; ++field)
        Box(field)->clear();
    Setup();
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("Do you want to reboot ?")});
    QStringList expected = Fields(NetSetup(QString(), QStringLiteral("10.0.0")));
    for (int field = 2; field < CSetupDlg::ADDRESS_FIELDS; ++field)
        expected[field].clear();
    QCOMPARE(Fields(m_pFixture->State().m_lanSetup), expected);
}

KESTAVON_UI_TEST_MAIN(TestSetupDlg)
#include "tst_setupdlg.moc"
