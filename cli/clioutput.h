#pragma once

#include <vector>

#include <QByteArray>
#include <QJsonArray>
#include <QList>
#include <QString>

#include "playerresult.h"

class CAdapterInfo;
class CPlayerRequest;
class CDeviceSummary;

// How results look: a JSON document for scripts, readable text for people.
// Failures go to standard error in text mode, as "ADDRESS: ERROR_TEXT".
// What players sent is shown escaped in text (CCliText), as it came in JSON.
class CCliOutput
{
public:
    static QByteArray Document(const QJsonArray &array);

    static QJsonArray AdaptersJson(const std::vector<CAdapterInfo> &adapters);
    static QString AdaptersText(const std::vector<CAdapterInfo> &adapters);

    static QJsonArray DevicesJson(const QList<CDeviceSummary> &devices);
    static QString DevicesText(const QList<CDeviceSummary> &devices);

    static QJsonArray ResultsJson(const QList<CPlayerResult> &results);
    // Standard output: the players that succeeded or were skipped.
    static QString ResultsText(const CPlayerRequest &request, const QList<CPlayerResult> &results);
    // Standard error: one line per failed player.
    static QString FailuresText(const QList<CPlayerResult> &results);

private:
    static QJsonValue ResultJson(const CPlayerResult &result);
    static QString ResultText(const CPlayerRequest &request, const CPlayerResult &result);
    static QString FieldsText(const CPlayerFields &fields);
    static QString RowsText(const QList<CPlayerFields> &rows);
    static QString ValueText(const QJsonValue &value);
};
