// CStatusLine: the line along the bottom of the main window that says what the window is doing.
#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

// One sentence about the search, with a moving indicator while it runs, and
// the way to the checks when nobody answered. The window tells it what
// happens; it keeps no state of the search of its own.
class CStatusLine : public QWidget
{
    Q_OBJECT

public:
    explicit CStatusLine(QWidget *parent = nullptr);

    // A sweep of the adapter's network has begun.
    void ShowSearching(const QString &adapter, const QString &subnet);
    // A sweep of a range the user gave has begun.
    void ShowSearchingRange(const QString &range);
    // The search is over (or the list changed since) with count players,
    // and turnedAway more that answered when the list was full.
    void ShowFound(int count, int turnedAway = 0);
    // The search is over and no player answered; the checks are offered.
    void ShowNobody(const QString &adapter, const QString &subnet);
    // The same, after a sweep of a range the user gave.
    void ShowNobodyInRange(const QString &range);
    // Something stands in the way of any search; the checks are offered.
    void ShowProblem(const QString &text);
    // Anything else, with or without the moving indicator.
    void ShowText(const QString &text, bool busy = false);

    QString Text() const;
    bool IsBusy() const;
    // Whether the line points at the checks because nobody answered.
    bool IsDiagnoseOffered() const { return m_bDiagnoseOffered; }
    QPushButton *DiagnoseButton() const { return m_pDiagnose; }
    QPushButton *ScanRangeButton() const { return m_pScanRange; }

signals:
    void DiagnoseRequested();
    void ScanRangeRequested();

private:
    void Show(const QString &text, bool busy, bool offerDiagnose);

    QProgressBar *m_pBusy = nullptr;
    QLabel *m_pText = nullptr;
    QPushButton *m_pDiagnose = nullptr;
    QPushButton *m_pScanRange = nullptr;
    bool m_bDiagnoseOffered = false;
};
