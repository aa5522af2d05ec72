// STP_CMD_ERROR_TAG: the outcome of one command: code and error text.
#pragma once

#include <QString>

// The outcome of one command: nCode 0 for none, 1 for a failure with its text.
// It is also the element of the manager's error list.
struct STP_CMD_ERROR_TAG
{
    qint32 nCode = 0;
    QString strText;

    friend bool operator==(const STP_CMD_ERROR_TAG &, const STP_CMD_ERROR_TAG &) = default;
};
