// STP_CMD_RESULT_TAG: a decoded query reply: command number and records.
#pragma once

#include <QList>
#include <QMap>
#include <QString>

// One record of a data reply: element name to its text, names compared exactly.
using CMapStringToString = QMap<QString, QString>;

// A decoded query reply, alive only while it is handed to the result store.
struct STP_CMD_RESULT_TAG
{
    qint32 nCmdId = 0;
    QList<CMapStringToString> listItems; // one map per record, in document order
};
