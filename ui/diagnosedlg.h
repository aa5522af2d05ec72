// CDiagnoseDlg: the checks of what stands between this computer and its players, with their fixes.
#pragma once

#include <QDialog>
#include <QList>

#include "doctorfinding.h"
#include "firewallcheck.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QThread;
class QVBoxLayout;

// Runs the same checks as the command line's doctor (adapters and the
// networks they sweep, the two ports players connect to and who holds them,
// the firewall, a self-test announcement) on a thread of its own, so the
// window stays alive during the firewall tools' and the self-test's waits,
// and shows each finding with its mark, what was seen and the fix. A fix is
// text for the user to read or copy; nothing here runs it.
class CDiagnoseDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CDiagnoseDlg(CFirewallCheck::Runner runner, QWidget *parent = nullptr);
    ~CDiagnoseDlg() override;
    CDiagnoseDlg(const CDiagnoseDlg &) = delete;
    CDiagnoseDlg &operator=(const CDiagnoseDlg &) = delete;

    // Starts the checks unless they run already; the dialog starts them when
    // it first shows.
    void RunChecks();
    bool IsRunning() const { return m_pWorker != nullptr; }
    // What the last finished run found, in the order checked.
    const QList<CDoctorFinding> &Findings() const { return m_findings; }

signals:
    // A run has ended and its findings are shown.
    void ChecksDone();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void OnChecksDone();
    void ShowFindings();
    QWidget *FindingRow(const CDoctorFinding &finding, int index);

    CFirewallCheck::Runner m_runner;
    QList<CDoctorFinding> m_findings;
    // Filled by the worker, read once it has finished.
    QList<CDoctorFinding> m_workerFindings;
    QThread *m_pWorker = nullptr;
    bool m_bStarted = false;
    QProgressBar *m_pBusy = nullptr;
    QLabel *m_pSummary = nullptr;
    QWidget *m_pRows = nullptr;
    QVBoxLayout *m_pRowLayout = nullptr;
    QPushButton *m_pRunAgain = nullptr;
    QPushButton *m_pClose = nullptr;
};
