#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "busyrunner.h"
#include "devicediscover.h"
#include "diagnosedlg.h"
#include "mainwindowfixture.h"
#include "portholder.h"
#include "messageboxrecorder.h"
#include "scanrangedlg.h"
#include "searchstatus.h"
#include "setupmanager.h"
#include "statusline.h"
#include "templatebuilder.h"
#include "uitestmain.h"

// What the main window says about its search: the line along the bottom
// while a sweep runs and after it, the way to the checks when nobody
// answered, a range given by the user, and the page area while a player is
// read.
class TestMainWindowStatus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void searchingThenTheCount_data();
    void searchingThenTheCount();
    void aFullListSaysHowManyMoreAnswered();
    void nobodyAnsweredIsSaidAtOnceWithDiagnose();
    void heldAnnouncementPortIsSaidInTheLine();
    void diagnoseRunsTheChecksAndListensAgain();
    void scanRangeRefusesBadInputThenSweepsAGoodOne();
    void pageAreaSaysWhichPlayerIsReadMeanwhile();

private:
    // The firewall tools the checks would ask: none, so the machine's own
    // are never run.
    QTemporaryDir m_noTools;
};

namespace {

constexpr int WAIT_MS = CMainWindowFixture::WAIT_MS;
// Players answer on 127.0.0.0/24; nobody does on 127.0.5.0/24.
const QString kPlayersNet = QStringLiteral("127.0.0.1");
const QString kEmptyNet = QStringLiteral("127.0.5.1");

std::shared_ptr<CFakeAdapterSource::Records> OneAdapter(const QString &address)
{
    return std::make_shared<CFakeAdapterSource::Records>(CFakeAdapterSource::Records{
        CFakeAdapterSource::Adapter(QStringLiteral("lab0"), {address})});
}

// Remembers every text the status line shows while an operation runs.
class CBusyWatcher
{
public:
    explicit CBusyWatcher(const CStatusLine &line)
    {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this, &line] {
            if (line.IsBusy() && (m_texts.isEmpty() || m_texts.last() != line.Text()))
                m_texts.append(line.Text());
        });
        m_timer.start(1);
    }
    QStringList m_texts;

private:
    QTimer m_timer;
};

// Runs action on the next modal window of type T as soon as it opens.
template <typename T> void OnNextModal(QObject *context, std::function<void(T *)> action)
{
    QTimer::singleShot(0, context, [context, action] {
        auto *modal = qobject_cast<T *>(QApplication::activeModalWidget());
        if (!modal) {
            OnNextModal<T>(context, action);
            return;
        }
        action(modal);
    });
}

} // namespace

void TestMainWindowStatus::initTestCase()
{
    QVERIFY(m_noTools.isValid());
    qputenv("PATH", m_noTools.path().toLocal8Bit());
}

void TestMainWindowStatus::searchingThenTheCount_data()
{
    QTest::addColumn<int>("players");
    QTest::addColumn<QString>("found");
    QTest::newRow("five") << 5 << QStringLiteral("5 players found");
    QTest::newRow("one") << 1 << QStringLiteral("1 player found");
}

void TestMainWindowStatus::searchingThenTheCount()
{
    QFETCH(int, players);
    QFETCH(QString, found);
    CMainWindowFixture fixture;
    fixture.SetAdapters(OneAdapter(kPlayersNet));
    QString error;
    QVERIFY2(fixture.Start(CMainWindowFixture::DemoPlayers().mid(0, players), &error),
             qPrintable(error));
    // The first search begins a moment after the window shows.
    const CBusyWatcher watcher(fixture.Window().StatusLine());
    QVERIFY(fixture.WaitForDevices(players));
    QVERIFY(watcher.m_texts.contains(
        QStringLiteral("Searching for players on lab0 (127.0.0.0/24)\u2026")));
    CStatusLine &line = fixture.Window().StatusLine();
    // The search ends a moment after the first answers.
    QTRY_COMPARE_WITH_TIMEOUT(line.Text(), found, WAIT_MS);
    QVERIFY(!line.IsBusy());
    QVERIFY(!line.IsDiagnoseOffered());
}

// The list holds a limited number of players; those beyond it are not on
// the list, and the line must not let it pass for the whole site.
void TestMainWindowStatus::aFullListSaysHowManyMoreAnswered()
{
    CSetupManager manager;
    CStatusLine line;
    CSearchStatus status(manager);
    status.SetLine(&line);
    const int answered = CSetupManager::MAX_DEVICES + 3;
    for (int i = 0; i < answered; ++i)
        manager.AddDevice(QStringLiteral("KS-100"), QString::number(i),
                          QStringLiteral("127.1.%1.%2").arg(i / 250).arg(i % 250 + 1), {});
    status.ShowEnded(CSetupManager::MAX_DEVICES);
    QCOMPARE(line.Text(), QStringLiteral("260 players found; 3 more answered, but the list holds "
                                         "no more. Scan a smaller range to see them."));
    // A new search starts from an empty list: nobody is turned away yet.
    manager.ClearDevices();
    manager.AddDevice(QStringLiteral("KS-100"), QStringLiteral("one"), QStringLiteral("127.1.0.1"),
                      {});
    status.ShowCount(1, false);
    QCOMPARE(line.Text(), QStringLiteral("1 player found"));
}

void TestMainWindowStatus::nobodyAnsweredIsSaidAtOnceWithDiagnose()
{
    CMainWindowFixture fixture;
    fixture.SetAdapters(OneAdapter(kEmptyNet));
    QString error;
    QVERIFY2(fixture.Start(CMainWindowFixture::DemoPlayers(), &error), qPrintable(error));
    CStatusLine &line = fixture.Window().StatusLine();
    const QString nobody =
        QStringLiteral("No player answered on lab0 (127.0.5.0/24). Press Diagnose to see why.");
    // The first search says it in the line, with no box.
    QTRY_COMPARE_WITH_TIMEOUT(line.Text(), nobody, WAIT_MS);
    QVERIFY(line.IsDiagnoseOffered());
    QVERIFY(!line.IsBusy());
    QVERIFY(line.DiagnoseButton()->isVisible() && line.DiagnoseButton()->isEnabled());
    QVERIFY(!line.DiagnoseButton()->accessibleName().isEmpty());

    // Refresh keeps its box, and the line has said why before it.
    CMessageBoxRecorder boxes;
    CTemplateBuilder::Control<QPushButton>(&fixture.Window(), CHalvorinSetup101Dlg::IDC_REFRESH)
        ->click();
    QTRY_COMPARE_WITH_TIMEOUT(boxes.Texts(), QStringList{QStringLiteral("failed device discovery")},
                              WAIT_MS);
    QCOMPARE(line.Text(), nobody);
    QVERIFY(line.IsDiagnoseOffered());
}

void TestMainWindowStatus::heldAnnouncementPortIsSaidInTheLine()
{
    QTcpServer holder;
    holder.setProxy(QNetworkProxy::NoProxy);
    QVERIFY(holder.listen(QHostAddress::AnyIPv4, CDeviceDiscover::ANNOUNCE_PORT));
    CMessageBoxRecorder boxes;
    CMainWindowFixture fixture;
    QString error;
    QVERIFY(fixture.Start({}, &error));
    CStatusLine &line = fixture.Window().StatusLine();
    QTRY_VERIFY_WITH_TIMEOUT(line.IsDiagnoseOffered(), WAIT_MS);
    // The holder as the system names it (process names are cut at 15 bytes).
    QCOMPARE(line.Text(), QStringLiteral("No player can answer: TCP port 10014 is held by %1.")
                              .arg(CPortHolder::Find(CDeviceDiscover::ANNOUNCE_PORT)));
    QVERIFY(
        line.Text().contains(QStringLiteral("(pid %1)").arg(QCoreApplication::applicationPid())));
    QCOMPARE(boxes.Texts().size(), 1);
}

void TestMainWindowStatus::diagnoseRunsTheChecksAndListensAgain()
{
    CMainWindowFixture fixture;
    fixture.SetAdapters(OneAdapter(kEmptyNet));
    QString error;
    QVERIFY2(fixture.Start(CMainWindowFixture::DemoPlayers(), &error), qPrintable(error));
    CStatusLine &line = fixture.Window().StatusLine();
    QTRY_VERIFY_WITH_TIMEOUT(line.IsDiagnoseOffered(), WAIT_MS);
    const QString adapter = fixture.Window().Manager().GetAdapterDescription();

    QList<CDoctorFinding> findings;
    OnNextModal<CDiagnoseDlg>(this, [&findings](CDiagnoseDlg *dialog) {
        QObject::connect(dialog, &CDiagnoseDlg::ChecksDone, dialog, [dialog, &findings] {
            findings = dialog->Findings();
            dialog->close();
        });
    });
    line.DiagnoseButton()->click();
    // The window's own discovery made way for the checks: the port was free
    // and the test announcement came through.
    QVERIFY(!findings.isEmpty());
    for (const CDoctorFinding &finding : findings)
        QVERIFY2(finding.m_bOk,
                 qPrintable(finding.m_strCheck + QStringLiteral(": ") + finding.m_strDetail));
    // Discovery listens again on the adapter chosen before.
    QVERIFY(fixture.Window().Manager().IsDiscoveryListening());
    QCOMPARE(fixture.Window().Manager().GetAdapterDescription(), adapter);
    QCOMPARE(fixture.AdapterList()->currentText(), adapter);
    // ... and searches again at once, without a box for a nobody.
    QVERIFY(fixture.Window().IsSearching());
    QVERIFY(fixture.Settle());
    QVERIFY(line.IsDiagnoseOffered());
}

void TestMainWindowStatus::scanRangeRefusesBadInputThenSweepsAGoodOne()
{
    CMainWindowFixture fixture;
    fixture.SetAdapters(OneAdapter(kEmptyNet));
    QString error;
    QVERIFY2(fixture.Start(CMainWindowFixture::DemoPlayers(), &error), qPrintable(error));
    CStatusLine &line = fixture.Window().StatusLine();
    QTRY_VERIFY_WITH_TIMEOUT(line.IsDiagnoseOffered(), WAIT_MS);
    QVERIFY(fixture.Settle());
    const QString player = QStringLiteral("127.0.0.2");
    const int probesBefore = fixture.Network().ProbesReceived(player);

    // Too wide first: refused in the dialog, which stays open; then a range
    // the players are in.
    QString problem;
    OnNextModal<CScanRangeDlg>(
        this, [&problem, &fixture, player, probesBefore](CScanRangeDlg *dialog) {
            QTest::keyClicks(dialog->NetworkEdit(), QStringLiteral("127.0.0.0/19"));
            QTest::keyClick(dialog->NetworkEdit(), Qt::Key_Return);
            problem = dialog->Problem();
            if (!dialog->isVisible() || fixture.Network().ProbesReceived(player) != probesBefore)
                problem.clear();
            dialog->NetworkEdit()->clear();
            QTest::keyClicks(dialog->NetworkEdit(), QStringLiteral("127.0.0.0/24"));
            QTest::keyClick(dialog->NetworkEdit(), Qt::Key_Return);
        });
    line.ScanRangeButton()->click();
    QCOMPARE(problem, QStringLiteral("Network: '127.0.0.0/19' holds more than 4096 addresses "
                                     "(use /20 or longer)."));
    QCOMPARE(line.Text(), QStringLiteral("Searching for players in 127.0.0.0/24\u2026"));
    QVERIFY(line.IsBusy());
    QVERIFY(fixture.WaitForDevices(CMainWindowFixture::DemoPlayers().size()));
    QTRY_COMPARE_WITH_TIMEOUT(line.Text(), QStringLiteral("5 players found"), WAIT_MS);
    QVERIFY(fixture.Network().ProbesReceived(player) > probesBefore);
}

void TestMainWindowStatus::pageAreaSaysWhichPlayerIsReadMeanwhile()
{
    CMainWindowFixture fixture;
    QString error;
    QVERIFY2(fixture.Start(CMainWindowFixture::DemoPlayers(), &error), qPrintable(error));
    QVERIFY(fixture.WaitForDevices(CMainWindowFixture::DemoPlayers().size()));
    QVERIFY(fixture.SelectAndWaitForPage(QStringLiteral("Living Room"), true));
    // Kitchen answers slowly: its reads take a while.
    fixture.Network().SetFault(QStringLiteral("127.0.0.3"),
                               CSimFault{.m_kind = CSimFault::EKind::Delay, .m_count = 1});

    QLabel *loading = fixture.Window().LoadingLabel();
    bool pageShownMeanwhile = false;
    QStringList texts;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
        if (!CBusyRunner::IsBusy())
            return;
        pageShownMeanwhile = pageShownMeanwhile || fixture.Window().MainView().isVisible() ||
                             fixture.Window().WebView().isVisible();
        if (loading->isVisible() && !texts.contains(loading->text()))
            texts.append(loading->text());
    });
    watcher.start(1);
    QVERIFY(fixture.SelectAndWaitForPage(QStringLiteral("Kitchen"), true));
    watcher.stop();
    QCOMPARE(texts, QStringList{QStringLiteral("Reading Kitchen (127.0.0.3)\u2026")});
    QVERIFY(!pageShownMeanwhile);
    QVERIFY(!loading->isVisible());
}

KESTAVON_UI_TEST_MAIN(TestMainWindowStatus)
#include "tst_mainwindowstatus.moc"
