#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "apsettingdlg.h"
#include "messageboxrecorder.h"
#include "playerfixture.h"
#include "templatebuilder.h"
#include "uitestmain.h"

// The access point settings against a simulated player: which controls each
// situation shows, and what "Connect" and "Remove" send and return.
class TestAPSettingDlg : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void stateTable_data();
    void stateTable();
    void encryptionListIsSorted();
    void passwordBoxFollowsTheTickAndKeepsItsText();
    void connectNeedsItsInput_data();
    void connectNeedsItsInput();
    void otherAccessPointSendsTheChosenEncryption();
    void essidAPlayerCannotKeepIsRefused_data();
    void essidAPlayerCannotKeepIsRefused();
    void failedCommandShowsTheErrorAndReturnsTwo_data();
    void failedCommandShowsTheErrorAndReturnsTwo();
    void noToARemoveQuestionSendsNothing();
    void resetThatNeverReachedThePlayerIsReported();
    void closeEnterAndEscape_data();
    void closeEnterAndEscape();
    void savedAccessPointConnectsWithTheKeptPassword();
    void noButtonIsTheDefault_data();
    void noButtonIsTheDefault();

private:
    std::unique_ptr<CAPSettingDlg> Open(bool other, const QString &essid = {},
                                        const QString &connected = {}, const QString &saved = {});

    std::unique_ptr<CPlayerFixture> m_pFixture;
};

namespace {

using Ids = QList<int>;

// Every control whose visibility the situations change.
const Ids STATE_CONTROLS = {CAPSettingDlg::IDC_ESSID,
                            CAPSettingDlg::IDC_ENCRYPTION_KEY,
                            CAPSettingDlg::IDC_ENCRYPTION_LIST,
                            CAPSettingDlg::IDC_INPUT_PASSWORD,
                            CAPSettingDlg::IDC_PASSWORD_LABEL,
                            CAPSettingDlg::IDC_PASSWORD,
                            CAPSettingDlg::IDC_REMOVE,
                            CAPSettingDlg::IDC_CONNECT,
                            CAPSettingDlg::IDC_CLOSE};

// What a click leaves behind: the result (0 while the dialog stays open) and
// the player's requests that followed.
struct SOutcome
{
    int m_nResult = 0;
    QStringList m_operations;
};

CSimAccessPoint AccessPoint(const QString &essid, const QString &key, bool connected, bool saved)
{
    CSimAccessPoint accessPoint;
    accessPoint.m_strEssid = essid;
    accessPoint.m_strEncryptionKey = key;
    accessPoint.m_strQuality = QStringLiteral("70");
    accessPoint.m_connected = connected;
    accessPoint.m_saved = saved;
    return accessPoint;
}

template <typename T> T *Child(const QWidget *dialog, int id)
{
    return CTemplateBuilder::Control<T>(dialog, id);
}

// Clicks as a person would; a dialog ended by the click reports its result.
SOutcome Click(CPlayerFixture &fixture, CAPSettingDlg &dialog, int button)
{
    const qsizetype before = fixture.Operations().size();
    Child<QPushButton>(&dialog, button)->click();
    SOutcome outcome;
    outcome.m_nResult = dialog.isVisible() ? 0 : dialog.result();
    outcome.m_operations = fixture.Operations().mid(before);
    return outcome;
}

} // namespace

void TestAPSettingDlg::init()
{
    CSimPlayerConfig player = CPlayerFixture::DefaultPlayer();
    player.m_state.m_accessPoints = {
        AccessPoint(QStringLiteral("Home"), QStringLiteral("WPA2"), true, true),
        AccessPoint(QStringLiteral("Cafe"), QStringLiteral("WPA"), false, true),
        AccessPoint(QStringLiteral("Street"), QStringLiteral("WEP"), false, false)};
    m_pFixture = std::make_unique<CPlayerFixture>();
    QString error;
    QVERIFY2(m_pFixture->Start(player, &error), qPrintable(error));
}

void TestAPSettingDlg::cleanup()
{
    m_pFixture.reset();
}

std::unique_ptr<CAPSettingDlg> TestAPSettingDlg::Open(bool other, const QString &essid,
                                                      const QString &connected,
                                                      const QString &saved)
{
    std::unique_ptr<CAPSettingDlg> dialog =
        other ? std::make_unique<CAPSettingDlg>(m_pFixture->Manager())
              : std::make_unique<CAPSettingDlg>(m_pFixture->Manager(), essid, QStringLiteral("KEY"),
                                                connected, saved);
    dialog->show();
    return dialog;
}

void TestAPSettingDlg::stateTable_data()
{
    QTest::addColumn<bool>("other");
    QTest::addColumn<QString>("essid");
    QTest::addColumn<QString>("connected");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<Ids>("shown");
    QTest::addColumn<QString>("password"); // typed before "Connect"
    QTest::addColumn<int>("connectResult");
    QTest::addColumn<QStringList>("connectSends");
    QTest::addColumn<int>("removeResult");
    QTest::addColumn<QStringList>("removeSends");

    const QString connectAp = QStringLiteral("connectAp");
    const QString deleteProfile = QStringLiteral("deleteProfile");
    QTest::newRow("other access point")
        << true << QStringLiteral("Hidden") << QString() << QString()
        << Ids{1024, 1045, 1031, 1026, 1028, 1029} << QStringLiteral("pw") << 3
        << QStringList{connectAp} << 0 << QStringList();
    QTest::newRow("listed, connected")
        << false << QStringLiteral("Home") << QStringLiteral("1") << QStringLiteral("1")
        << Ids{1024, 1025, 1027, 1029} << QString() << 0 << QStringList() << 4
        << QStringList{deleteProfile, QStringLiteral("resetRender")};
    QTest::newRow("listed, saved, not connected")
        << false << QStringLiteral("Cafe") << QStringLiteral("0") << QStringLiteral("1")
        << Ids{1024, 1025, 1023, 1027, 1028, 1029} << QString() << 3 << QStringList{connectAp} << 5
        << QStringList{deleteProfile};
    QTest::newRow("listed, neither")
        << false << QStringLiteral("Street") << QStringLiteral("0") << QStringLiteral("0")
        << Ids{1024, 1025, 1031, 1026, 1028, 1029} << QStringLiteral("pw") << 3
        << QStringList{connectAp} << 0 << QStringList();
    // Only the single character 1 means yes.
    QTest::newRow("connected 'true' counts as not connected")
        << false << QStringLiteral("Street") << QStringLiteral("true") << QStringLiteral(" 1")
        << Ids{1024, 1025, 1031, 1026, 1028, 1029} << QStringLiteral("pw") << 3
        << QStringList{connectAp} << 0 << QStringList();
}

void TestAPSettingDlg::stateTable()
{
    QFETCH(bool, other);
    QFETCH(QString, essid);
    QFETCH(QString, connected);
    QFETCH(QString, saved);
    QFETCH(Ids, shown);
    QFETCH(QString, password);
    QFETCH(int, connectResult);
    QFETCH(QStringList, connectSends);
    QFETCH(int, removeResult);
    QFETCH(QStringList, removeSends);
    CMessageBoxRecorder boxes(QMessageBox::Yes);

    std::unique_ptr<CAPSettingDlg> dialog = Open(other, essid, connected, saved);
    for (int id : STATE_CONTROLS)
        QVERIFY2(Child<QWidget>(dialog.get(), id)->isVisible() == shown.contains(id),
                 qPrintable(QString::number(id)));
    auto *essidBox = Child<QLineEdit>(dialog.get(), CAPSettingDlg::IDC_ESSID);
    QCOMPARE(essidBox->isEnabled(), other);
    // Hidden rather than disabled when the list takes its place.
    QCOMPARE(Child<QLineEdit>(dialog.get(), CAPSettingDlg::IDC_ENCRYPTION_KEY)->isEnabled(), other);
    QCOMPARE(essidBox->text(), other ? QString() : essid);
    QVERIFY(!Child<QCheckBox>(dialog.get(), CAPSettingDlg::IDC_INPUT_PASSWORD)->isChecked());
    if (other) {
        // The list stands where the key box would be.
        const auto *list = Child<QComboBox>(dialog.get(), CAPSettingDlg::IDC_ENCRYPTION_LIST);
        QCOMPARE(list->geometry(),
                 Child<QLineEdit>(dialog.get(), CAPSettingDlg::IDC_ENCRYPTION_KEY)->geometry());
        QCOMPARE(list->currentText(), QStringLiteral("OPEN"));
        essidBox->setText(essid);
    }

    if (shown.contains(CAPSettingDlg::IDC_CONNECT)) {
        Child<QLineEdit>(dialog.get(), CAPSettingDlg::IDC_PASSWORD)->setText(password);
        const SOutcome outcome = Click(*m_pFixture, *dialog, CAPSettingDlg::IDC_CONNECT);
        QCOMPARE(outcome.m_nResult, connectResult);
        QCOMPARE(outcome.m_operations, connectSends);
        const QByteArray request = m_pFixture->LastRequest(QStringLiteral("connectAp"));
        QVERIFY(request.contains("<essid>" + essid.toLatin1() + "</essid><password>" +
                                 password.toLatin1() + "</password>"));
        QCOMPARE(m_pFixture->State().m_accessPoints.size(), other ? 4 : 3);
    }
    if (shown.contains(CAPSettingDlg::IDC_REMOVE)) {
        dialog = Open(other, essid, connected, saved);
        const SOutcome outcome = Click(*m_pFixture, *dialog, CAPSettingDlg::IDC_REMOVE);
        QCOMPARE(outcome.m_nResult, removeResult);
        QCOMPARE(outcome.m_operations, removeSends);
        QVERIFY(m_pFixture->LastRequest(QStringLiteral("deleteProfile"))
                    .contains("<essid>" + essid.toLatin1() + "</essid>"));
        const QString question =
            connected == QStringLiteral("1")
                ? QStringLiteral("If you remove selected apitem, you must be reset the "
                                 "device.\nReally, do you want to reset?")
                : QStringLiteral("Do you want to remove ?");
        QCOMPARE(boxes.Texts(), QStringList{question});
        QCOMPARE(boxes.Requests().first().m_buttons, CMessageBox::EButtons::YesNo);
    } else {
        QVERIFY(boxes.Texts().isEmpty());
    }
}

void TestAPSettingDlg::encryptionListIsSorted()
{
    std::unique_ptr<CAPSettingDlg> dialog = Open(true);
    const auto *list = Child<QComboBox>(dialog.get(), CAPSettingDlg::IDC_ENCRYPTION_LIST);
    QStringList items;
    for (int line = 0; line < list->count(); ++line)
        items.append(list->itemText(line));
    QCOMPARE(items,
             (QStringList{QStringLiteral("OPEN"), QStringLiteral("WEP"), QStringLiteral("WPA"),
                          QStringLiteral("WPA/WPA2"), QStringLiteral("WPA2")}));
}

void TestAPSettingDlg::passwordBoxFollowsTheTickAndKeepsItsText()
{
    std::unique_ptr<CAPSettingDlg> dialog =
        Open(false, QStringLiteral("Cafe"), QStringLiteral("0"), QStringLiteral("1"));
    auto *tick = Child<QCheckBox>(dialog.get(), CAPSettingDlg::IDC_INPUT_PASSWORD);
    auto *box = Child<QLineEdit>(dialog.get(), CAPSettingDlg::IDC_PASSWORD);
    auto *label = Child<QLabel>(dialog.get(), CAPSettingDlg::IDC_PASSWORD_LABEL);
    QTest::mouseClick(tick, Qt::LeftButton, {}, QPoint(4, tick->height() / 2));
    QVERIFY(box->isVisible() && label->isVisible());
    QCOMPARE(box->echoMode(), QLineEdit::Normal);
    box->setText(QStringLiteral("typed"));
    QTest::mouseClick(tick, Qt::LeftButton, {}, QPoint(4, tick->height() / 2));
    QVERIFY(!box->isVisible() && !label->isVisible());
    QCOMPARE(box->text(), QStringLiteral("typed"));
}

void TestAPSettingDlg::connectNeedsItsInput_data()
{
    QTest::addColumn<bool>("other");
    QTest::addColumn<QString>("essid");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<int>("ticks"); // clicks on "input password"
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("sends");

    QTest::newRow("other, empty password")
        << true << QStringLiteral("Hidden") << QString() << 0 << QString() << false;
    QTest::newRow("other, empty essid")
        << true << QString() << QString() << 0 << QStringLiteral("pw") << false;
    QTest::newRow("neither, empty password")
        << false << QStringLiteral("Street") << QStringLiteral("0") << 0 << QString() << false;
    QTest::newRow("saved, never ticked: empty password")
        << false << QStringLiteral("Cafe") << QStringLiteral("1") << 0 << QString() << true;
    QTest::newRow("saved, ticked and left empty")
        << false << QStringLiteral("Cafe") << QStringLiteral("1") << 1 << QString() << false;
    QTest::newRow("saved, typed then unticked")
        << false << QStringLiteral("Cafe") << QStringLiteral("1") << 2 << QStringLiteral("typed")
        << true;
}

void TestAPSettingDlg::connectNeedsItsInput()
{
    QFETCH(bool, other);
    QFETCH(QString, essid);
    QFETCH(QString, saved);
    QFETCH(int, ticks);
    QFETCH(QString, password);
    QFETCH(bool, sends);
    CMessageBoxRecorder boxes;

    std::unique_ptr<CAPSettingDlg> dialog = Open(other, essid, QStringLiteral("0"), saved);
    if (other)
        Child<QLineEdit>(dialog.get(), CAPSettingDlg::IDC_ESSID)->setText(essid);
    auto *tick = Child<QCheckBox>(dialog.get(), CAPSettingDlg::IDC_INPUT_PASSWORD);
    // Typed while shown; the box keeps it when the tick hides it again.
    if (ticks > 0)
        tick->click();
    Child<QLineEdit>(dialog.get(), CAPSettingDlg::IDC_PASSWORD)->setText(password);
    for (int tickCount = 1; tickCount < ticks; ++tickCount)
        tick->click();

    const SOutcome outcome = Click(*m_pFixture, *dialog, CAPSettingDlg::IDC_CONNECT);
    QVERIFY(boxes.Texts().isEmpty());
    if (!sends) {
        QCOMPARE(outcome.m_nResult, 0);
        QVERIFY(outcome.m_operations.isEmpty());
        return;
    }
    QCOMPARE(outcome.m_nResult, CAPSettingDlg::RESULT_CONNECTED);
    QCOMPARE(outcome.m_operations, QStringList{QStringLiteral("connectAp")});
    QVERIFY(m_pFixture->LastRequest(QStringLiteral("connectAp"))
                .contains("<password>" + password.toLatin1() + "</password>"));
    QCOMPARE(m_pFixture->State().m_accessPoints.at(1).m_connected, true);
}

void TestAPSettingDlg::otherAccessPointSendsTheChosenEncryption()
{
    std::unique_ptr<CAPSettingDlg> dialog = Open(true);
    Child<QLineEdit>(dialog.get(), CAPSettingDlg::IDC_ESSID)->setText(QStringLiteral("Hidden"));
    Child<QLineEdit>(dialog.get(), CAPSettingDlg::IDC_PASSWORD)->setText(QStringLiteral("pw"));
    Child<QComboBox>(dialog.get(), CAPSettingDlg::IDC_ENCRYPTION_LIST)->setCurrentIndex(3);
    const SOutcome outcome = Click(*m_pFixture, *dialog, CAPSettingDlg::IDC_CONNECT);
    QCOMPARE(outcome.m_nResult, CAPSettingDlg::RESULT_CONNECTED);
    QVERIFY(m_pFixture->LastRequest(QStringLiteral("connectAp"))
                .contains("<essid>Hidden</essid><password>pw</password>"
                          "<encryptionkey>WPA/WPA2</encryptionkey>"));
    const CSimAccessPoint added = m_pFixture->State().m_accessPoints.last();
    QCOMPARE(added.m_strEssid, QStringLiteral("Hidden"));
    QVERIFY(added.m_connected);
}

void TestAPSettingDlg::essidAPlayerCannotKeepIsRefused_data()
{
    QTest::addColumn<QString>("essid");
    QTest::addColumn<QString>("message");

    QTest::newRow("an escape is refused")
        << QStringLiteral("Hidden\x1b]0;x\x07")
        << QStringLiteral("The ESSID holds a control character (U+001B).");
    QTest::newRow("33 bytes are refused")
        << QString(33, QLatin1Char('n'))
        << QStringLiteral("The ESSID is 33 bytes long (UTF-8); a player keeps at most 32.");
}

void TestAPSettingDlg::essidAPlayerCannotKeepIsRefused()
{
    QFETCH(QString, essid);
    QFETCH(QString, message);
    CMessageBoxRecorder boxes;
    std::unique_ptr<CAPSettingDlg> dialog = Open(true);
    Child<QLineEdit>(dialog.get(), CAPSettingDlg::IDC_ESSID)->setText(essid);
    Child<QLineEdit>(dialog.get(), CAPSettingDlg::IDC_PASSWORD)->setText(QStringLiteral("pw"));
    const SOutcome outcome = Click(*m_pFixture, *dialog, CAPSettingDlg::IDC_CONNECT);
    QCOMPARE(boxes.Texts(), QStringList{message});
    // The dialog stays, for the user to mend the name.
    QCOMPARE(outcome.m_nResult, 0);
    QVERIFY(outcome.m_operations.isEmpty());
}

void TestAPSettingDlg::failedCommandShowsTheErrorAndReturnsTwo_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("saved");
    QTest::newRow("connect") << int(CAPSettingDlg::IDC_CONNECT) << QStringLiteral("1");
    QTest::newRow("remove") << int(CAPSettingDlg::IDC_REMOVE) << QStringLiteral("1");
}

void TestAPSettingDlg::failedCommandShowsTheErrorAndReturnsTwo()
{
    QFETCH(int, button);
    QFETCH(QString, saved);
    m_pFixture->SetFault(CSimFault{.m_kind = CSimFault::EKind::Refuse});
    CMessageBoxRecorder boxes(QMessageBox::Yes);
    std::unique_ptr<CAPSettingDlg> dialog =
        Open(false, QStringLiteral("Cafe"), QStringLiteral("0"), saved);
    const SOutcome outcome = Click(*m_pFixture, *dialog, button);
    QCOMPARE(outcome.m_nResult, CAPSettingDlg::RESULT_FAILED);
    QCOMPARE(boxes.Texts().last(), QStringLiteral("The player at 127.0.0.2 could not be reached.\n"
                                                  "error: socket connection failed"));
    QCOMPARE(boxes.Requests().last().m_buttons, CMessageBox::EButtons::Ok);
}

// The removal is answered late, and meanwhile the player stops taking
// connections: the reset cannot reach it, so the dialog must not end as if the
// player were restarting.
void TestAPSettingDlg::resetThatNeverReachedThePlayerIsReported()
{
    m_pFixture->SetFault(CSimFault{.m_kind = CSimFault::EKind::Delay,
                                   .m_strOperation = QStringLiteral("deleteProfile"),
                                   .m_delayMs = 2000});
    bool cutOff = false;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
        if (!cutOff && m_pFixture->Operations().contains(QStringLiteral("deleteProfile"))) {
            cutOff = true;
            m_pFixture->SetFault(CSimFault{.m_kind = CSimFault::EKind::Refuse});
        }
    });
    watcher.start(5);
    CMessageBoxRecorder boxes(QMessageBox::Yes);
    std::unique_ptr<CAPSettingDlg> dialog =
        Open(false, QStringLiteral("Home"), QStringLiteral("1"), QStringLiteral("1"));
    const SOutcome outcome = Click(*m_pFixture, *dialog, CAPSettingDlg::IDC_REMOVE);
    watcher.stop();
    QVERIFY(cutOff);
    QCOMPARE(outcome.m_operations, QStringList{QStringLiteral("deleteProfile")});
    QCOMPARE(outcome.m_nResult, CAPSettingDlg::RESULT_REMOVED);
    QCOMPARE(boxes.Texts().last(),
             QStringLiteral("The access point was removed, but the player could not be told to "
                            "reset.\nThe player at 127.0.0.2 could not be reached.\n"
                            "error: socket connection failed"));
}

void TestAPSettingDlg::noToARemoveQuestionSendsNothing()
{
    CMessageBoxRecorder boxes(QMessageBox::No);
    for (const QString &connected : {QStringLiteral("1"), QStringLiteral("0")}) {
        std::unique_ptr<CAPSettingDlg> dialog =
            Open(false, QStringLiteral("Home"), connected, QStringLiteral("1"));
        const SOutcome outcome = Click(*m_pFixture, *dialog, CAPSettingDlg::IDC_REMOVE);
        QCOMPARE(outcome.m_nResult, 0);
        QVERIFY(outcome.m_operations.isEmpty());
    }
    QCOMPARE(boxes.Texts().size(), 2);
}

void TestAPSettingDlg::closeEnterAndEscape_data()
{
    QTest::addColumn<int>("key"); // 0: the "Close" button
    QTest::addColumn<int>("result");
    QTest::newRow("Close") << 0 << CAPSettingDlg::RESULT_CLOSED;
    QTest::newRow("Enter") << int(Qt::Key_Return) << CAPSettingDlg::RESULT_CLOSED;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << CAPSettingDlg::RESULT_FAILED;
}

void TestAPSettingDlg::closeEnterAndEscape()
{
    QFETCH(int, key);
    QFETCH(int, result);
    std::unique_ptr<CAPSettingDlg> dialog =
        Open(false, QStringLiteral("Street"), QStringLiteral("0"), QStringLiteral("0"));
    if (key == 0) {
        Child<QPushButton>(dialog.get(), CAPSettingDlg::IDC_CLOSE)->click();
    } else {
        // From a text box: no push button has the focus.
        QLineEdit *password = Child<QLineEdit>(dialog.get(), CAPSettingDlg::IDC_PASSWORD);
        password->setFocus();
        QTest::keyClick(password, static_cast<Qt::Key>(key));
    }
    QVERIFY(!dialog->isVisible());
    QCOMPARE(dialog->result(), result);
    QVERIFY(m_pFixture->Operations().isEmpty());
}

// The player keeps the password of a saved network; the dialog sends none
// unless the user gives one.
void TestAPSettingDlg::savedAccessPointConnectsWithTheKeptPassword()
{
    CSimPlayerState state = m_pFixture->State();
    state.m_accessPoints[1].m_strPassword = QStringLiteral("cafe-secret");
    m_pFixture->Network().SetState(CPlayerFixture::PlayerIp(), state);
    std::unique_ptr<CAPSettingDlg> dialog =
        Open(false, QStringLiteral("Cafe"), QStringLiteral("0"), QStringLiteral("1"));
    CMessageBoxRecorder boxes;
    const SOutcome outcome = Click(*m_pFixture, *dialog, CAPSettingDlg::IDC_CONNECT);
    QCOMPARE(outcome.m_operations, QStringList{QStringLiteral("connectAp")});
    QVERIFY(m_pFixture->LastRequest(QStringLiteral("connectAp")).contains("<password></password>"));
    QVERIFY(boxes.Texts().isEmpty());
    QCOMPARE(outcome.m_nResult, CAPSettingDlg::RESULT_CONNECTED);
    QVERIFY(m_pFixture->State().m_accessPoints[1].m_connected);
}

void TestAPSettingDlg::noButtonIsTheDefault_data()
{
    QTest::addColumn<bool>("other");
    QTest::addColumn<QString>("essid");
    QTest::addColumn<QString>("connected");
    QTest::addColumn<QString>("saved");
    QTest::newRow("other access point") << true << QString() << QString() << QString();
    QTest::newRow("connected") << false << QStringLiteral("Home") << QStringLiteral("1")
                               << QStringLiteral("1");
    QTest::newRow("saved") << false << QStringLiteral("Cafe") << QStringLiteral("0")
                           << QStringLiteral("1");
    QTest::newRow("neither") << false << QStringLiteral("Street") << QStringLiteral("0")
                             << QStringLiteral("0");
}

// Nothing is framed as the button Enter would press, because Enter closes.
// A button with the focus still takes Enter itself.
void TestAPSettingDlg::noButtonIsTheDefault()
{
    QFETCH(bool, other);
    QFETCH(QString, essid);
    QFETCH(QString, connected);
    QFETCH(QString, saved);
    std::unique_ptr<CAPSettingDlg> dialog = Open(other, essid, connected, saved);
    QCoreApplication::processEvents();
    for (const QPushButton *button : dialog->findChildren<QPushButton *>())
        QVERIFY2(!button->isDefault(), qPrintable(button->text()));
    QPushButton *remove = Child<QPushButton>(dialog.get(), CAPSettingDlg::IDC_REMOVE);
    if (!remove->isVisible())
        return;
    CMessageBoxRecorder boxes(QMessageBox::No);
    remove->setFocus();
    QTest::keyClick(remove, Qt::Key_Return);
    QCOMPARE(boxes.Texts().size(), 1);
    QVERIFY(dialog->isVisible());
}

KESTAVON_UI_TEST_MAIN(TestAPSettingDlg)
#include "tst_apsettingdlg.moc"
