#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkProxy>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

#include "devicediscover.h"
#include "diagnosedlg.h"
#include "uitestmain.h"

// The checks behind Diagnose as the window shows them: each finding with its
// mark, what was seen and, for a problem, the fix as text to copy.
class TestDiagnoseDlg : public QObject
{
    Q_OBJECT

private slots:
    void nothingWrongIsAllOk();
    void heldAnnouncementPortShowsTheProblemAndItsFix();
    void runAgainChecksAnew();
};

namespace {

constexpr int WAIT_MS = 20000;

// No firewall tool is installed as far as the checks can tell: the
// machine's own are never run.
CFirewallCheck::Runner NoTools()
{
    return [](const QString &, const QStringList &) { return std::optional<QString>(); };
}

struct SRow
{
    QString mark;
    QString check;
    QString detail;
    QString fix;
    bool fixReadOnly = false;
};

QList<SRow> Rows(const CDiagnoseDlg &dialog)
{
    QList<SRow> rows;
    for (int index = 0;; ++index) {
        const auto *row = dialog.findChild<QWidget *>(QStringLiteral("finding%1").arg(index));
        if (!row)
            break;
        SRow shown;
        shown.mark = row->findChild<QLabel *>(QStringLiteral("mark"))->text();
        shown.check = row->findChild<QLabel *>(QStringLiteral("check"))->text();
        shown.detail = row->findChild<QLabel *>(QStringLiteral("detail"))->text();
        if (const auto *fix = row->findChild<QLineEdit *>(QStringLiteral("fix"))) {
            shown.fix = fix->text();
            shown.fixReadOnly = fix->isReadOnly();
        }
        rows.append(shown);
    }
    return rows;
}

bool RunToEnd(CDiagnoseDlg &dialog)
{
    QSignalSpy done(&dialog, &CDiagnoseDlg::ChecksDone);
    dialog.show();
    // The checks run beside the window, which stays responsive meanwhile.
    return dialog.IsRunning() && done.wait(WAIT_MS) && !dialog.IsRunning();
}

} // namespace

void TestDiagnoseDlg::nothingWrongIsAllOk()
{
    CDiagnoseDlg dialog(NoTools());
    QVERIFY(RunToEnd(dialog));
    const QList<SRow> rows = Rows(dialog);
    QStringList checks;
    for (const SRow &row : rows) {
        checks.append(row.check);
        QCOMPARE(row.mark, QStringLiteral("\u2714 ok"));
        QVERIFY(row.fix.isEmpty());
    }
    QCOMPARE(checks, (QStringList{QStringLiteral("adapter lo"), QStringLiteral("TCP 10014"),
                                  QStringLiteral("TCP 10017"), QStringLiteral("self-test")}));
    QCOMPARE(rows.last().detail, QStringLiteral("an announcement to 127.0.0.1:10014 was received"));
    QCOMPARE(dialog.findChild<QLabel *>()->text(),
             QStringLiteral("All checks passed: nothing on this computer keeps players "
                            "from answering. Players on another network answer to Scan range."));
}

void TestDiagnoseDlg::heldAnnouncementPortShowsTheProblemAndItsFix()
{
    QTcpServer holder;
    holder.setProxy(QNetworkProxy::NoProxy);
    QVERIFY(holder.listen(QHostAddress::AnyIPv4, CDeviceDiscover::ANNOUNCE_PORT));
    CDiagnoseDlg dialog(NoTools());
    QVERIFY(RunToEnd(dialog));
    const QList<SRow> rows = Rows(dialog);
    QCOMPARE(rows.size(), 4);
    const SRow &port = rows[1];
    QCOMPARE(port.check, QStringLiteral("TCP 10014"));
    QCOMPARE(port.mark, QStringLiteral("\u2716 problem"));
    QCOMPARE(
        port.detail,
        QStringLiteral("held by tst_diagnosedlg (pid %1)").arg(QCoreApplication::applicationPid()));
    QCOMPARE(port.fix, QStringLiteral("close tst_diagnosedlg"));
    // The fix is there to be copied, never run.
    QVERIFY(port.fixReadOnly);
    QCOMPARE(rows[2].mark, QStringLiteral("\u2714 ok"));
    QCOMPARE(rows[3].check, QStringLiteral("self-test"));
    QCOMPARE(rows[3].mark, QStringLiteral("\u2716 problem"));
    QCOMPARE(rows[3].fix, QStringLiteral("clear the problems above"));
    QCOMPARE(dialog.findChild<QLabel *>()->text(),
             QStringLiteral("2 problems found; each fix is shown with its problem."));
}

void TestDiagnoseDlg::runAgainChecksAnew()
{
    auto holder = std::make_unique<QTcpServer>();
    holder->setProxy(QNetworkProxy::NoProxy);
    QVERIFY(holder->listen(QHostAddress::AnyIPv4, CDeviceDiscover::ANNOUNCE_PORT));
    CDiagnoseDlg dialog(NoTools());
    QVERIFY(RunToEnd(dialog));
    QVERIFY(!dialog.Findings()[1].m_bOk);

    // The user cleared the problem and asks again.
    holder.reset();
    QPushButton *again = nullptr;
    for (QPushButton *button : dialog.findChildren<QPushButton *>()) {
        if (button->accessibleName() == QStringLiteral("Run again"))
            again = button;
    }
    QVERIFY(again && again->isEnabled());
    QSignalSpy done(&dialog, &CDiagnoseDlg::ChecksDone);
    again->click();
    QVERIFY(!again->isEnabled());
    QVERIFY(done.wait(WAIT_MS));
    for (const CDoctorFinding &finding : dialog.Findings())
        QVERIFY2(finding.m_bOk, qPrintable(finding.m_strCheck));
    QVERIFY(again->isEnabled());
}

KESTAVON_UI_TEST_MAIN(TestDiagnoseDlg)
#include "tst_diagnosedlg.moc"
