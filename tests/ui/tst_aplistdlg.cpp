#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "aplistdlg.h"
#include "apsettingdlg.h"
#include "messageboxrecorder.h"
#include "modalwatcher.h"
#include "playerfixture.h"
#include "templatebuilder.h"
#include "uitestmain.h"

// The Wi-Fi network selection against a simulated player: its rows, which
// row a click opens, and how the access point settings' results end it.
class TestAPListDlg : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void rowsFollowThePlayer();
    void firstSelectedRowIsOpened();
    void clickBelowTheRowsOpensNothing();
    void doubleClickOpensOnce();
    void settingResultEndsTheList_data();
    void settingResultEndsTheList();
    void otherAccessPointEndsOnlyOnConnect_data();
    void otherAccessPointEndsOnlyOnConnect();
    void emptyOrFailedListShowsTheError_data();
    void emptyOrFailedListShowsTheError();
    void closeReturnsTwo();
    void enterAndEscape_data();
    void enterAndEscape();
    void noButtonIsTheDefault();

private:
    void Open();
    QTreeWidget *List() const;
    void ClickRow(int line, Qt::KeyboardModifiers modifiers = {});
    // Waits until the setting dialog that watcher handled has gone.
    static bool WaitUntilSettingEnded(const CModalWatcher &watcher);

    std::unique_ptr<CPlayerFixture> m_pFixture;
    std::unique_ptr<CAPListDlg> m_pDialog;
};

namespace {

constexpr int WAIT_MS = 20000;

CSimAccessPoint AccessPoint(const QString &essid, const QString &key, const QString &quality,
                            bool connected, bool saved)
{
    CSimAccessPoint accessPoint;
    accessPoint.m_strEssid = essid;
    accessPoint.m_strEncryptionKey = key;
    accessPoint.m_strQuality = quality;
    accessPoint.m_connected = connected;
    accessPoint.m_saved = saved;
    return accessPoint;
}

// Deliberately not in alphabetical order: the list must keep the player's.
QList<CSimAccessPoint> AccessPoints()
{
    return {AccessPoint(QStringLiteral("Zeta"), QStringLiteral("WPA2"), QStringLiteral("91"), true,
                        true),
            AccessPoint(QStringLiteral("Alpha"), QStringLiteral("WPA/WPA2"), QStringLiteral("40"),
                        false, true),
            AccessPoint(QStringLiteral("Mu"), QStringLiteral("OPEN"), QStringLiteral("7"), false,
                        false),
            AccessPoint(QStringLiteral("Beta"), QStringLiteral("WEP"), QStringLiteral("55"), false,
                        false)};
}

} // namespace

void TestAPListDlg::init()
{
    CSimPlayerConfig player = CPlayerFixture::DefaultPlayer();
    player.m_state.m_accessPoints = AccessPoints();
    m_pFixture = std::make_unique<CPlayerFixture>();
    QString error;
    QVERIFY2(m_pFixture->Start(player, &error), qPrintable(error));
}

void TestAPListDlg::cleanup()
{
    m_pDialog.reset();
    m_pFixture.reset();
}

void TestAPListDlg::Open()
{
    m_pDialog = std::make_unique<CAPListDlg>(m_pFixture->Manager(), nullptr);
    m_pDialog->show();
}

QTreeWidget *TestAPListDlg::List() const
{
    return CTemplateBuilder::Control<QTreeWidget>(m_pDialog.get(), CAPListDlg::IDC_AP_LIST);
}

void TestAPListDlg::ClickRow(int line, Qt::KeyboardModifiers modifiers)
{
    QTreeWidget *list = List();
    const QRect rect = list->visualItemRect(list->topLevelItem(line));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, rect.center());
}

bool TestAPListDlg::WaitUntilSettingEnded(const CModalWatcher &watcher)
{
    return QTest::qWaitFor(
        [&watcher] {
            return watcher.Pending() == 0 && !watcher.Handled().isEmpty() &&
                   watcher.Handled().last().isNull();
        },
        WAIT_MS);
}

void TestAPListDlg::rowsFollowThePlayer()
{
    CMessageBoxRecorder boxes;
    Open();
    QVERIFY(boxes.Texts().isEmpty());
    QTreeWidget *list = List();
    const QStringList titles = {QStringLiteral("essid"), QStringLiteral("encryptionkey"),
                                QStringLiteral("quality"), QStringLiteral("connected"),
                                QStringLiteral("saved")};
    const QList<int> widths = {150, 100, 60, 80, 60};
    QCOMPARE(list->columnCount(), titles.size());
    for (int column = 0; column < titles.size(); ++column) {
        QCOMPARE(list->headerItem()->text(column), titles[column]);
        QCOMPARE(list->header()->sectionSize(column), widths[column]);
    }
    const QList<CSimAccessPoint> expected = AccessPoints();
    QCOMPARE(list->topLevelItemCount(), expected.size());
    for (int line = 0; line < expected.size(); ++line) {
        const CSimAccessPoint &accessPoint = expected[line];
        const QStringList row = {
            accessPoint.m_strEssid, accessPoint.m_strEncryptionKey, accessPoint.m_strQuality,
            accessPoint.m_connected ? QStringLiteral("1") : QStringLiteral("0"),
            accessPoint.m_saved ? QStringLiteral("1") : QStringLiteral("0")};
        for (int column = 0; column < row.size(); ++column)
            QCOMPARE(list->topLevelItem(line)->text(column), row[column]);
    }
    QCOMPARE(m_pFixture->Operations(), QStringList{QStringLiteral("getApList")});
    // A header click does not sort.
    QTest::mouseClick(list->header()->viewport(), Qt::LeftButton, {},
                      QPoint(list->header()->sectionPosition(0) + 5, 5));
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("Zeta"));
    QVERIFY(m_pDialog->isVisible());
}

void TestAPListDlg::firstSelectedRowIsOpened()
{
    Open();
    QVERIFY(List()->selectionMode() == QAbstractItemView::ExtendedSelection);
    CModalWatcher watcher;
    QStringList opened;
    const auto record = [&opened](QDialog *dialog) {
        opened.append(
            CTemplateBuilder::Control<QLineEdit>(dialog, CAPSettingDlg::IDC_ESSID)->text());
        dialog->done(CAPSettingDlg::RESULT_CLOSED);
    };
    watcher.Expect(record);
    ClickRow(1);
    QVERIFY(WaitUntilSettingEnded(watcher));
    // Adding a later row to the selection still opens the first selected one.
    watcher.Expect(record);
    ClickRow(3, Qt::ControlModifier);
    QVERIFY(WaitUntilSettingEnded(watcher));
    QCOMPARE(List()->selectedItems().size(), 2);
    QCOMPARE(opened, (QStringList{QStringLiteral("Alpha"), QStringLiteral("Alpha")}));
    QVERIFY(m_pDialog->isVisible());
}

void TestAPListDlg::clickBelowTheRowsOpensNothing()
{
    Open();
    CModalWatcher watcher;
    watcher.ExpectAndEnd(CAPSettingDlg::RESULT_CLOSED);
    QTreeWidget *list = List();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(5, list->viewport()->height() - 5));
    QTest::qWait(CModalWatcher::POLL_MS * 10);
    QVERIFY(watcher.Handled().isEmpty());
    QVERIFY(m_pDialog->isVisible());
}

void TestAPListDlg::doubleClickOpensOnce()
{
    Open();
    CModalWatcher watcher;
    watcher.ExpectAndEnd(CAPSettingDlg::RESULT_CLOSED);
    watcher.ExpectAndEnd(CAPSettingDlg::RESULT_CLOSED);
    QTreeWidget *list = List();
    // What the window system delivers: press, release, double click, release.
    const QPoint point = list->visualItemRect(list->topLevelItem(2)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, point);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, point);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, point);
    QTRY_VERIFY_WITH_TIMEOUT(!watcher.Handled().isEmpty() && watcher.Handled().first().isNull(),
                             WAIT_MS);
    QTest::qWait(CModalWatcher::POLL_MS * 10);
    QCOMPARE(watcher.Handled().size(), 1);
    QVERIFY(m_pDialog->isVisible());
}

void TestAPListDlg::settingResultEndsTheList_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("settingResult");
    QTest::addColumn<int>("listResult"); // 0: stays open
    QTest::newRow("closed") << 2 << CAPSettingDlg::RESULT_CLOSED << 0;
    QTest::newRow("failed or cancelled") << 2 << CAPSettingDlg::RESULT_FAILED << 0;
    QTest::newRow("connected") << 2 << CAPSettingDlg::RESULT_CONNECTED << 1;
    QTest::newRow("connected one removed") << 0 << CAPSettingDlg::RESULT_RESET << 4;
    QTest::newRow("saved one removed") << 1 << CAPSettingDlg::RESULT_REMOVED << 1;
}

void TestAPListDlg::settingResultEndsTheList()
{
    QFETCH(int, line);
    QFETCH(int, settingResult);
    QFETCH(int, listResult);
    Open();
    CModalWatcher watcher;
    watcher.ExpectAndEnd(settingResult);
    ClickRow(line);
    QVERIFY(WaitUntilSettingEnded(watcher));
    QCOMPARE(m_pDialog->isVisible(), listResult == 0);
    if (listResult)
        QCOMPARE(m_pDialog->result(), listResult);
    // The rows are not refreshed.
    QCOMPARE(List()->topLevelItemCount(), AccessPoints().size());
}

void TestAPListDlg::otherAccessPointEndsOnlyOnConnect_data()
{
    QTest::addColumn<int>("settingResult");
    QTest::addColumn<bool>("ends");
    QTest::newRow("connected") << CAPSettingDlg::RESULT_CONNECTED << true;
    QTest::newRow("closed") << CAPSettingDlg::RESULT_CLOSED << false;
    QTest::newRow("failed") << CAPSettingDlg::RESULT_FAILED << false;
}

void TestAPListDlg::otherAccessPointEndsOnlyOnConnect()
{
    QFETCH(int, settingResult);
    QFETCH(bool, ends);
    Open();
    CModalWatcher watcher;
    bool editable = false;
    watcher.Expect([&editable, settingResult](QDialog *dialog) {
        editable =
            CTemplateBuilder::Control<QLineEdit>(dialog, CAPSettingDlg::IDC_ESSID)->isEnabled();
        dialog->done(settingResult);
    });
    CTemplateBuilder::Control<QPushButton>(m_pDialog.get(), CAPListDlg::IDC_OTHER_AP)->click();
    QVERIFY(WaitUntilSettingEnded(watcher));
    QVERIFY(editable);
    QCOMPARE(m_pDialog->isVisible(), !ends);
    if (ends)
        QCOMPARE(m_pDialog->result(), CAPListDlg::RESULT_CHANGED);
}

void TestAPListDlg::emptyOrFailedListShowsTheError_data()
{
    QTest::addColumn<bool>("refuse");
    QTest::addColumn<QString>("text");
    // Never a blank box: the list itself is what is missing.
    QTest::newRow("no access point")
        << false << QStringLiteral("The player reports no Wi-Fi networks.");
    QTest::newRow("player unreachable")
        << true
        << QStringLiteral("The player at 127.0.0.2 could not be reached.\n"
                          "error: socket connection failed");
}

void TestAPListDlg::emptyOrFailedListShowsTheError()
{
    QFETCH(bool, refuse);
    QFETCH(QString, text);
    if (refuse) {
        m_pFixture->SetFault(CSimFault{.m_kind = CSimFault::EKind::Refuse});
    } else {
        CSimPlayerState state = m_pFixture->State();
        state.m_accessPoints.clear();
        m_pFixture->Network().SetState(CPlayerFixture::PlayerIp(), state);
    }
    CMessageBoxRecorder boxes;
    Open();
    QCOMPARE(boxes.Texts(), QStringList{text});
    QCOMPARE(boxes.Requests().first().m_buttons, CMessageBox::EButtons::Ok);
    QCOMPARE(List()->topLevelItemCount(), 0);
    QVERIFY(m_pDialog->isVisible());
}

void TestAPListDlg::closeReturnsTwo()
{
    Open();
    CTemplateBuilder::Control<QPushButton>(m_pDialog.get(), CModalDialog::IDCANCEL)->click();
    QVERIFY(!m_pDialog->isVisible());
    QCOMPARE(m_pDialog->result(), CAPListDlg::RESULT_CLOSED);
}

void TestAPListDlg::enterAndEscape_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("result");
    QTest::newRow("Enter in the list") << int(Qt::Key_Return) << CAPListDlg::RESULT_CHANGED;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << CAPListDlg::RESULT_CLOSED;
}

void TestAPListDlg::enterAndEscape()
{
    QFETCH(int, key);
    QFETCH(int, result);
    Open();
    List()->setFocus();
    QTest::keyClick(List(), static_cast<Qt::Key>(key));
    QVERIFY(!m_pDialog->isVisible());
    QCOMPARE(m_pDialog->result(), result);
}

// Nothing is framed as the button Enter would press, because Enter ends the
// list instead.
void TestAPListDlg::noButtonIsTheDefault()
{
    Open();
    QCoreApplication::processEvents();
    for (const QPushButton *button : m_pDialog->findChildren<QPushButton *>())
        QVERIFY2(!button->isDefault(), qPrintable(button->text()));
}

KESTAVON_UI_TEST_MAIN(TestAPListDlg)
#include "tst_aplistdlg.moc"
