#pragma once

#include <QString>

// The baseline: the least a server can do. A blocking socket on
// BASELINE_PORT, the file read into memory at each accept just like the
// firmware file server, then one blocking write loop. Same output and exit
// code as RunUploadServer.
int RunBlockingServer(const QString &strFilePath, int nRounds);
