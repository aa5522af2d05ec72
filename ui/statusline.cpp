#include "statusline.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTextDocument>

namespace {

// Wide enough to see the indicator move, narrow enough to leave the text room.
constexpr int INDICATOR_WIDTH = 60;

} // namespace

CStatusLine::CStatusLine(QWidget *parent) : QWidget(parent)
{
    setAccessibleName(QStringLiteral("Status"));
    m_pBusy = new QProgressBar(this);
    // No end is known: the indicator only shows that something happens.
    m_pBusy->setRange(0, 0);
    m_pBusy->setTextVisible(false);
    m_pBusy->setFixedWidth(INDICATOR_WIDTH);
    m_pBusy->setAccessibleName(QStringLiteral("Searching"));
    m_pBusy->hide();
    m_pText = new QLabel(this);
    // Adapter names come from the system and ranges from the user: plain text.
    m_pText->setTextFormat(Qt::PlainText);
    m_pText->setAccessibleName(QStringLiteral("Status"));
    m_pText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long adapter name is cut off at the buttons instead of pushing them
    // out of the window; the tooltip holds the whole sentence.
    m_pText->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_pDiagnose = new QPushButton(QStringLiteral("&Diagnose\u2026"), this);
    m_pDiagnose->setAccessibleName(QStringLiteral("Diagnose"));
    m_pDiagnose->setAccessibleDescription(
        QStringLiteral("Checks the adapters, ports and firewall that players need"));
    m_pScanRange = new QPushButton(QStringLiteral("&Scan range\u2026"), this);
    m_pScanRange->setAccessibleName(QStringLiteral("Scan range"));
    m_pScanRange->setAccessibleDescription(
        QStringLiteral("Searches another network for players, given as a CIDR"));
    for (QPushButton *button : {m_pDiagnose, m_pScanRange})
        button->setAutoDefault(false);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pBusy);
    layout->addWidget(m_pText, 1);
    layout->addWidget(m_pDiagnose);
    layout->addWidget(m_pScanRange);

    connect(m_pDiagnose, &QPushButton::clicked, this, &CStatusLine::DiagnoseRequested);
    connect(m_pScanRange, &QPushButton::clicked, this, &CStatusLine::ScanRangeRequested);
}

void CStatusLine::ShowSearching(const QString &adapter, const QString &subnet)
{
    Show(QStringLiteral("Searching for players on %1 (%2)\u2026").arg(adapter, subnet), true,
         false);
}

void CStatusLine::ShowSearchingRange(const QString &range)
{
    Show(QStringLiteral("Searching for players in %1\u2026").arg(range), true, false);
}

void CStatusLine::ShowFound(int count, int turnedAway)
{
    QString text = count == 1 ? QStringLiteral("1 player found")
                              : QStringLiteral("%1 players found").arg(count);
    if (turnedAway > 0)
        text += QStringLiteral("; %1 more answered, but the list holds no more. Scan a smaller "
                               "range to see them.")
                    .arg(turnedAway);
    Show(text, false, false);
}

void CStatusLine::ShowNobody(const QString &adapter, const QString &subnet)
{
    Show(QStringLiteral("No player answered on %1 (%2). Press Diagnose to see why.")
             .arg(adapter, subnet),
         false, true);
}

void CStatusLine::ShowNobodyInRange(const QString &range)
{
    Show(QStringLiteral("No player answered in %1. Press Diagnose to see why.").arg(range), false,
         true);
}

void CStatusLine::ShowProblem(const QString &text)
{
    Show(text, false, true);
}

void CStatusLine::ShowText(const QString &text, bool busy)
{
    Show(text, busy, false);
}

void CStatusLine::Show(const QString &text, bool busy, bool offerDiagnose)
{
    m_pText->setText(text);
    // The line may name another program or adapter: shown as written.
    m_pText->setToolTip(Qt::convertFromPlainText(text));
    m_pBusy->setVisible(busy);
    m_bDiagnoseOffered = offerDiagnose;
    // The way to the checks stands out while nobody answers.
    QFont font = m_pDiagnose->font();
    font.setBold(offerDiagnose);
    m_pDiagnose->setFont(font);
}

QString CStatusLine::Text() const
{
    return m_pText->text();
}

bool CStatusLine::IsBusy() const
{
    return !m_pBusy->isHidden();
}
