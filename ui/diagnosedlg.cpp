#include "diagnosedlg.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QThread>
#include <QVBoxLayout>

#include "doctor.h"

namespace {

// Room for the usual seven or eight findings without scrolling.
constexpr int MIN_WIDTH = 560;
constexpr int MIN_HEIGHT = 420;

} // namespace

CDiagnoseDlg::CDiagnoseDlg(CFirewallCheck::Runner runner, QWidget *parent)
    : QDialog(parent), m_runner(std::move(runner))
{
    setWindowTitle(QStringLiteral("Diagnose"));
    setMinimumSize(MIN_WIDTH, MIN_HEIGHT);

    m_pBusy = new QProgressBar(this);
    m_pBusy->setRange(0, 0);
    m_pBusy->setTextVisible(false);
    m_pBusy->setAccessibleName(QStringLiteral("Checking"));
    m_pSummary = new QLabel(this);
    m_pSummary->setTextFormat(Qt::PlainText);
    m_pSummary->setWordWrap(true);
    m_pSummary->setAccessibleName(QStringLiteral("Summary"));

    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    m_pRows = new QWidget;
    m_pRowLayout = new QVBoxLayout(m_pRows);
    m_pRowLayout->addStretch(1);
    scroll->setWidget(m_pRows);

    auto *buttons = new QDialogButtonBox(this);
    m_pRunAgain = buttons->addButton(QStringLiteral("&Run again"), QDialogButtonBox::ActionRole);
    m_pRunAgain->setAccessibleName(QStringLiteral("Run again"));
    m_pClose = buttons->addButton(QDialogButtonBox::Close);
    m_pClose->setText(QStringLiteral("&Close"));
    m_pClose->setAccessibleName(QStringLiteral("Close"));
    connect(m_pRunAgain, &QPushButton::clicked, this, &CDiagnoseDlg::RunChecks);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pSummary);
    layout->addWidget(m_pBusy);
    layout->addWidget(scroll, 1);
    layout->addWidget(buttons);
}

CDiagnoseDlg::~CDiagnoseDlg()
{
    // The checks cannot be cut short; each of their waits has its own
    // time-out, so this ends within seconds.
    if (m_pWorker) {
        m_pWorker->wait();
        delete m_pWorker;
    }
}

void CDiagnoseDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_bStarted)
        RunChecks();
}

void CDiagnoseDlg::RunChecks()
{
    if (m_pWorker)
        return;
    m_bStarted = true;
    m_pSummary->setText(QStringLiteral("Checking adapters, ports, firewall and a test "
                                       "announcement\u2026"));
    m_pBusy->show();
    m_pRunAgain->setEnabled(false);
    const CFirewallCheck::Runner runner = m_runner;
    // The worker writes the findings; the dialog reads them only once it has
    // finished.
    m_pWorker = QThread::create([this, runner] { m_workerFindings = CDoctor(runner).Run(); });
    connect(m_pWorker, &QThread::finished, this, &CDiagnoseDlg::OnChecksDone);
    m_pWorker->start();
}

void CDiagnoseDlg::OnChecksDone()
{
    if (!m_pWorker)
        return;
    m_pWorker->wait();
    delete m_pWorker;
    m_pWorker = nullptr;
    m_findings = std::move(m_workerFindings);
    m_workerFindings.clear();
    m_pBusy->hide();
    m_pRunAgain->setEnabled(true);
    ShowFindings();
    emit ChecksDone();
}

void CDiagnoseDlg::ShowFindings()
{
    while (m_pRowLayout->count() > 1) {
        QLayoutItem *item = m_pRowLayout->takeAt(0);
        delete item->widget();
        delete item;
    }
    qsizetype problems = 0;
    for (int index = 0; index < m_findings.size(); ++index) {
        if (!m_findings[index].m_bOk)
            ++problems;
        m_pRowLayout->insertWidget(index, FindingRow(m_findings[index], index));
    }
    m_pSummary->setText(
        problems == 0   ? QStringLiteral("All checks passed: nothing on this computer "
                                           "keeps players from answering. Players on "
                                           "another network answer to Scan range.")
        : problems == 1 ? QStringLiteral("1 problem found; its fix is shown with it.")
                        : QStringLiteral("%1 problems found; each fix is shown with "
                                         "its problem.")
                              .arg(problems));
}

// A process may give itself any name and an adapter any description: every
// text is shown as plain text.
QWidget *CDiagnoseDlg::FindingRow(const CDoctorFinding &finding, int index)
{
    auto *row = new QFrame;
    row->setFrameShape(QFrame::StyledPanel);
    row->setObjectName(QStringLiteral("finding%1").arg(index));
    auto *grid = new QGridLayout(row);

    // A word as well as a colour, for those who cannot tell the colours apart.
    auto *mark =
        new QLabel(finding.m_bOk ? QStringLiteral("\u2714 ok") : QStringLiteral("\u2716 problem"));
    mark->setObjectName(QStringLiteral("mark"));
    mark->setStyleSheet(finding.m_bOk ? QStringLiteral("color: #1b7a1b; font-weight: bold;")
                                      : QStringLiteral("color: #b00020; font-weight: bold;"));
    auto *check = new QLabel(finding.m_strCheck);
    check->setObjectName(QStringLiteral("check"));
    check->setTextFormat(Qt::PlainText);
    QFont bold = check->font();
    bold.setBold(true);
    check->setFont(bold);
    auto *detail = new QLabel(finding.m_strDetail);
    detail->setObjectName(QStringLiteral("detail"));
    detail->setTextFormat(Qt::PlainText);
    detail->setWordWrap(true);
    detail->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    const QString state = finding.m_bOk ? QStringLiteral("ok") : QStringLiteral("problem");
    row->setAccessibleName(QStringLiteral("%1: %2").arg(finding.m_strCheck, state));
    detail->setAccessibleName(QStringLiteral("%1: %2").arg(finding.m_strCheck, state));

    grid->addWidget(mark, 0, 0);
    grid->addWidget(check, 0, 1);
    grid->addWidget(detail, 1, 1);
    grid->setColumnStretch(1, 1);
    if (!finding.m_strFix.isEmpty()) {
        auto *label = new QLabel(QStringLiteral("Fix:"));
        // Read-only and focusable: the user selects and copies the command;
        // the tool never runs it.
        auto *fix = new QLineEdit(finding.m_strFix);
        fix->setObjectName(QStringLiteral("fix"));
        fix->setReadOnly(true);
        fix->setCursorPosition(0);
        fix->setAccessibleName(QStringLiteral("Fix for %1").arg(finding.m_strCheck));
        label->setBuddy(fix);
        grid->addWidget(label, 2, 0);
        grid->addWidget(fix, 2, 1);
    }
    return row;
}
