#pragma once

#include <QString>

struct CDownloadResult
{
    qint64 nBytes = 0;
    // Timed from the first read to the end of the stream, so the figure is the
    // sending itself, not the server's loading of the file when it accepts;
    // the first read's bytes are therefore not counted here.
    qint64 nTimedBytes = 0;
    double seconds = 0;
    bool bOk = false;
};

// One download the way a player does it: a blocking plain socket from
// localAddress to 127.0.0.1:port, read until the server closes. Every read
// is bounded by timeoutMs.
CDownloadResult DownloadOnce(const QString &localAddress, quint16 port, int timeoutMs);
