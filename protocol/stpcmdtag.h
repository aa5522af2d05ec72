// STP_CMD_TAG: one command of the catalogue.
#pragma once

#include <QString>

#include "stpcmderrortag.h"

// One command of the catalogue. It is copied whenever a command is prepared;
// the copy, never the catalogue, records the outcome in its error member.
struct STP_CMD_TAG
{
    qint32 nId = 0;
    // 1: the command changes the player and is answered by a status reply;
    // 0: a query whose reply carries data.
    qint32 bSet = 0;
    QString strOperation;
    // Body template; each "%s" is filled in order with the caller's arguments.
    QString strBodyFormat;
    STP_CMD_ERROR_TAG error;
};
