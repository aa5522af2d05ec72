#include "cliapplyreport.h"

#include <QJsonObject>

#include "clitext.h"

namespace {

const QString ARROW = QStringLiteral(" \u2192 ");
const QLatin1String INDENT("  ");

QJsonValue TextOrNull(const QString &text)
{
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

// An empty value is shown as "" so that "nothing" can be told from a blank;
// a player's value escaped and cut like a table's cell.
QString Shown(const QString &value)
{
    return value.isEmpty() ? QStringLiteral("\"\"") : CCliText::Cell(value);
}

} // namespace

QJsonArray CCliApplyReport::Json(const QList<CApplyOutcome> &outcomes)
{
    QJsonArray array;
    for (const CApplyOutcome &outcome : outcomes) {
        QJsonArray changes;
        for (const CApplyChange &change : outcome.m_changes) {
            changes.append(
                QJsonObject{{QStringLiteral("field"), change.m_change.m_strField},
                            {QStringLiteral("from"), change.m_change.m_strFrom},
                            {QStringLiteral("to"), change.m_change.m_strTo},
                            {QStringLiteral("state"), CApplyChange::StateName(change.m_state)}});
        }
        array.append(QJsonObject{
            {QStringLiteral("udn"), TextOrNull(outcome.m_strUdn)},
            {QStringLiteral("player"), TextOrNull(outcome.m_strPlayer)},
            {QStringLiteral("status"), CApplyOutcome::StatusName(outcome.m_status)},
            {QStringLiteral("changes"), changes},
            {QStringLiteral("pendingReboot"), QJsonArray::fromStringList(outcome.m_pendingReboot)},
            {QStringLiteral("error"), TextOrNull(outcome.m_strError)}});
    }
    return array;
}

QString CCliApplyReport::Text(const QList<CApplyOutcome> &outcomes, bool dryRun)
{
    QString text;
    for (const CApplyOutcome &outcome : outcomes) {
        text += CCliText::Escaped(outcome.m_strKey);
        if (!outcome.m_strPlayer.isEmpty())
            text += QStringLiteral(" at ") + CCliText::Escaped(outcome.m_strPlayer);
        text += QStringLiteral(": ") + CApplyOutcome::StatusName(outcome.m_status);
        if (!outcome.m_strError.isEmpty())
            text += QStringLiteral(": ") + CCliText::Escaped(outcome.m_strError);
        text += QLatin1Char('\n');
        for (const CApplyChange &change : outcome.m_changes) {
            const CPlanChange &c = change.m_change;
            text += INDENT + c.m_strField + QStringLiteral(": ") + Shown(c.m_strFrom) + ARROW +
                    Shown(c.m_strTo);
            // With --dry-run nothing was sent, so there is nothing to tell.
            if (!dryRun)
                text += QStringLiteral(" (%1)").arg(CApplyChange::StateName(change.m_state));
            text += QLatin1Char('\n');
        }
        for (const QString &setup : outcome.m_pendingReboot) {
            text += INDENT + setup +
                    (dryRun ? QStringLiteral(": set up as planned, pending reboot; would reboot\n")
                            : QStringLiteral(": was set up as planned, pending reboot\n"));
        }
        // The dry run shows every field of the plan, the ones already right too.
        if (dryRun) {
            for (const CPlanChange &same : outcome.m_unchanged)
                text += INDENT + same.m_strField + QStringLiteral(": unchanged\n");
        }
    }
    return text;
}
