#pragma once

#include <utility>

#include <QJsonValue>
#include <QList>
#include <QString>

// Named values in the order they are shown; JSON objects would sort them.
using CCliFields = QList<std::pair<QString, QJsonValue>>;

// What one command did on one player.
class CCliPlayerResult
{
public:
    static CCliPlayerResult Success(const QString &player, CCliFields fields = {});
    static CCliPlayerResult List(const QString &player, QList<CCliFields> rows);
    static CCliPlayerResult Failure(const QString &player, const QString &error);
    static CCliPlayerResult Skipped(const QString &player, CCliFields fields);

    QString m_strPlayer;
    bool m_bOk = false;
    // Found by --all but not of the class this tool configures; not a failure.
    bool m_bSkipped = false;
    // The result is a list of records (m_rows) rather than one (m_fields).
    bool m_bList = false;
    CCliFields m_fields;
    QList<CCliFields> m_rows;
    QString m_strError;
};
