#include "clidoctorreport.h"

#include <QJsonObject>

#include "clitext.h"

namespace {

const QLatin1String INDENT("         ");

} // namespace

QJsonArray CCliDoctorReport::Json(const QList<CDoctorFinding> &findings)
{
    QJsonArray array;
    for (const CDoctorFinding &finding : findings) {
        array.append(QJsonObject{{QStringLiteral("check"), finding.m_strCheck},
                                 {QStringLiteral("ok"), finding.m_bOk},
                                 {QStringLiteral("detail"), finding.m_strDetail},
                                 {QStringLiteral("fix"), finding.m_strFix.isEmpty()
                                                             ? QJsonValue(QJsonValue::Null)
                                                             : QJsonValue(finding.m_strFix)}});
    }
    return array;
}

QString CCliDoctorReport::Text(const QList<CDoctorFinding> &findings)
{
    QString text;
    for (const CDoctorFinding &finding : findings) {
        // A process may give itself any name, escape sequences included.
        text += (finding.m_bOk ? QStringLiteral("ok       ") : QStringLiteral("problem  ")) +
                CCliText::Escaped(finding.m_strCheck) + QStringLiteral(": ") +
                CCliText::Escaped(finding.m_strDetail) + QLatin1Char('\n');
        if (!finding.m_strFix.isEmpty())
            text += INDENT + QStringLiteral("fix: ") + CCliText::Escaped(finding.m_strFix) +
                    QLatin1Char('\n');
    }
    return text;
}
