#pragma once

#include <QtGlobal>

// The figures every part of the benchmark agrees on.
namespace BenchSettings {

constexpr qint64 MIB = 1024 * 1024;
// A large firmware image; a smoke run passes a smaller size.
constexpr qint64 DEFAULT_SIZE_MIB = 256;
// Best of a few rounds, so one scheduling hiccup does not decide the figure.
constexpr int DEFAULT_ROUNDS = 3;
// Goals: the server keeps up with a plain blocking write loop, and holds no
// more than the file plus a fixed allowance per connection.
constexpr double MIN_THROUGHPUT_RATIO = 0.8;
constexpr qint64 MEMORY_ALLOWANCE_PER_CONNECTION = 64 * MIB;
// Every wait in the benchmark ends by itself; a server that cannot serve a
// round of 256 MiB on loopback in this time is broken, not slow.
constexpr int ROUND_TIMEOUT_MS = 60000;
constexpr int START_TIMEOUT_MS = 10000;
// The baseline listens beside the file server (which has its fixed port), so
// that both run at once and their rounds alternate: a machine busy with
// something else then slows both alike.
constexpr quint16 BASELINE_PORT = 10018;
// The slow-reader mode: as many players reading a byte a second as the
// server serves at once, then one normal download queued behind them. The
// server gives a slow one up within two stall windows (60 s each), so the
// normal download's wait is bounded by that, plus its own transfer.
constexpr int SLOW_READERS = 16;
constexpr int SLOW_READER_FIRST_HOST = 60;
constexpr int SLOW_MODE_TIMEOUT_MS = 300000;
// Lets the slow readers take every slot before the normal download comes.
constexpr int SLOW_READERS_SETTLE_MS = 2000;

} // namespace BenchSettings
