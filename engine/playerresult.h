#pragma once

#include <utility>

#include <QJsonValue>
#include <QList>
#include <QString>

// Named values in the order they are shown; JSON objects would sort them.
using CPlayerFields = QList<std::pair<QString, QJsonValue>>;

// What one command did on one player.
class CPlayerResult
{
public:
    static CPlayerResult Success(const QString &player, CPlayerFields fields = {});
    static CPlayerResult List(const QString &player, QList<CPlayerFields> rows);
    static CPlayerResult Failure(const QString &player, const QString &error);
    static CPlayerResult Skipped(const QString &player, CPlayerFields fields);

    QString m_strPlayer;
    bool m_bOk = false;
    // Found by --all but not of the class this tool configures; not a failure.
    bool m_bSkipped = false;
    // The result is a list of records (m_rows) rather than one (m_fields).
    bool m_bList = false;
    CPlayerFields m_fields;
    QList<CPlayerFields> m_rows;
    QString m_strError;
};
