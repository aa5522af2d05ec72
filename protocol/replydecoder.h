#pragma once

#include <QString>

#include "stpcmderrortag.h"
#include "stpcmdresulttag.h"

// Decodes the XML reply of one command. Pure functions: text in, a result
// record and an error record out, so every malformed reply can be tested
// without a socket.
class CReplyDecoder
{
public:
    // The reply from the first "<?xml" to its end; empty when there is none.
    static QString ExtractXml(const QString &reply);

    // A status reply succeeds only when the Tavrion element's errcode is
    // exactly "1". Returns 1 or 0; on 0 error may carry the reason.
    static int DecodeStatus(const QString &xml, const QString &operation, STP_CMD_ERROR_TAG &error);

    // A data reply is decoded by command number into result. Returns 1 or 0.
    static int DecodeData(const QString &xml, qint32 cmdId, STP_CMD_RESULT_TAG &result,
                          STP_CMD_ERROR_TAG &error);
};
