// CScanRangeDlg: asks for a network, as ADDRESS/PREFIX, to search for players on.
#pragma once

#include <optional>

#include <QDialog>

#include "sweeprange.h"

class QLabel;
class QLineEdit;

// Players on another routed network do not hear a sweep of the adapter's
// own; this asks for their network. The text is checked exactly as the
// command line checks its --subnet, by the one parser, and refused text is
// explained before the dialog closes, so nothing is ever swept from it.
class CScanRangeDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CScanRangeDlg(QWidget *parent = nullptr);

    // The network given, once the dialog was accepted.
    std::optional<CSweepRange> Range() const { return m_range; }
    QLineEdit *NetworkEdit() const { return m_pNetwork; }
    // Why the text was refused, empty while nothing was refused.
    QString Problem() const;

    void accept() override;

private:
    QLineEdit *m_pNetwork = nullptr;
    QLabel *m_pProblem = nullptr;
    std::optional<CSweepRange> m_range;
};
