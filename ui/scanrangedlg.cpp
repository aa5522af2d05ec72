#include "scanrangedlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// About one sentence of the explanation a line.
constexpr int MIN_WIDTH_CHARS = 64;

} // namespace

CScanRangeDlg::CScanRangeDlg(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Scan range"));
    // Wrapped text takes its height from the width: without a width of its
    // own the dialog would open too narrow for its sentences.
    setMinimumWidth(fontMetrics().averageCharWidth() * MIN_WIDTH_CHARS);

    auto *intro = new QLabel(
        QStringLiteral("Players on another network answer only when that network is searched. "
                       "Give it as address/prefix, at most %1 addresses (/%2 or longer).")
            .arg(CSweepRange::MAX_ADDRESSES)
            .arg(CSweepRange::MIN_PREFIX),
        this);
    intro->setWordWrap(true);
    m_pNetwork = new QLineEdit(this);
    m_pNetwork->setPlaceholderText(QStringLiteral("192.168.1.0/24"));
    m_pNetwork->setAccessibleName(QStringLiteral("Network"));
    auto *label = new QLabel(QStringLiteral("&Network:"), this);
    label->setBuddy(m_pNetwork);
    m_pProblem = new QLabel(this);
    m_pProblem->setTextFormat(Qt::PlainText);
    m_pProblem->setWordWrap(true);
    m_pProblem->setAccessibleName(QStringLiteral("Problem"));
    m_pProblem->setStyleSheet(QStringLiteral("color: #b00020;"));
    m_pProblem->hide();

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Search"));
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(QStringLiteral("Search"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(QStringLiteral("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CScanRangeDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // The problem goes once the user changes what it was about.
    connect(m_pNetwork, &QLineEdit::textEdited, m_pProblem, &QLabel::hide);

    auto *form = new QFormLayout;
    form->addRow(label, m_pNetwork);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(m_pProblem);
    layout->addWidget(buttons);
}

QString CScanRangeDlg::Problem() const
{
    return m_pProblem->isHidden() ? QString() : m_pProblem->text();
}

void CScanRangeDlg::accept()
{
    QString error;
    m_range = CSweepRange::Parse(m_pNetwork->text(), &error);
    if (!m_range) {
        m_pProblem->setText(QStringLiteral("Network: %1.").arg(error));
        m_pProblem->show();
        // Room for the whole explanation, however long.
        layout()->activate();
        resize(width(),
               heightForWidth(width()) > 0 ? heightForWidth(width()) : sizeHint().height());
        m_pNetwork->setFocus();
        m_pNetwork->selectAll();
        return;
    }
    QDialog::accept();
}
