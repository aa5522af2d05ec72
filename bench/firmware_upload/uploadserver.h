#pragma once

#include <QString>

// The server side of the benchmark, run in a child process of its own so that
// its peak resident memory is its own: the firmware file server serves
// nRounds downloads of strFilePath, one after another. Prints "ready" once it
// listens and "maxrss_kib N" at the end; returns the process exit code.
// nExpectedFailures uploads may fail (players given up on purpose) without
// failing the run; they count among the rounds.
int RunUploadServer(const QString &strFilePath, int nRounds, int nExpectedFailures = 0);
