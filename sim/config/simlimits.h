#pragma once

#include <QtGlobal>

// Ports, caps and time-outs of the simulated players, in one place so that
// every wait and every buffer in sim/ has a visible bound.
namespace SimLimits {

// The ports a player uses; the tool expects exactly these.
constexpr quint16 kProbePort = 10013;    // UDP, discovery probes in
constexpr quint16 kAnnouncePort = 10014; // TCP on the prober, announcements out
constexpr quint16 kCommandPort = 10015;  // TCP, XML commands in
constexpr quint16 kFirmwarePort = 10017; // TCP on the tool, firmware image in
constexpr quint16 kWebPort = 80;         // TCP, the player's own web page

// A request header is a handful of short lines; 8 KiB is far beyond any real one.
constexpr qsizetype kMaxRequestHeader = 8 * 1024;
// The largest command (a profile or a network set-up) is well under 1 KiB.
constexpr qsizetype kMaxRequestBody = 64 * 1024;
// A tool that stalls mid-request is dropped after this long.
constexpr int kRequestTimeoutMs = 10 * 1000;

// Upper bound for any connection the simulator keeps open on purpose (held
// replies, silent announcements, stalled downloads).
constexpr int kDefaultHoldMs = 60 * 1000;

// Connections a single player serves at once; more are closed at once.
constexpr int kMaxCommandConnections = 64;
constexpr int kMaxWebConnections = 16;
// Announcements a player has in flight; a probe flood cannot open more.
constexpr int kMaxAnnouncements = 16;
// Downloads a player runs at once; real players take one image at a time.
constexpr int kMaxDownloads = 4;

// Outgoing download connects give up after this long.
constexpr int kConnectTimeoutMs = 5 * 1000;
// An announcement's connect waits as long as a real player's TCP stack keeps
// retrying its handshake (six retries, about two minutes) when the prober's
// queue is full: a tool that is slow to accept still gets every player.
constexpr int kAnnounceConnectTimeoutMs = 130 * 1000;
// A download whose sender goes quiet for this long is abandoned.
constexpr int kDownloadIdleTimeoutMs = 30 * 1000;
// Largest firmware image a player takes; real images are a few MiB.
constexpr qint64 kMaxDownloadBytes = 512LL * 1024 * 1024;
// Bytes taken from the socket at a time, so a stalled reader pushes back.
constexpr qint64 kDownloadReadChunk = 64 * 1024;

// Padding a fault may ask for; beyond this a reply stops testing caps and
// starts testing the machine's memory.
constexpr qint64 kMaxPadding = 64LL * 1024 * 1024;

// A probe is exactly this long; anything larger is not a probe.
constexpr qint64 kProbeSize = 100;
// Datagrams are read with this cap so an oversized one cannot grow a buffer.
constexpr qint64 kMaxDatagram = 2048;

// History kept per player for the tests; the oldest entries go first.
constexpr int kMaxRecordedRequests = 10000;
constexpr int kMaxRecordedDownloads = 1000;

// How long a reset or rebooted player stays away unless told otherwise.
constexpr int kDefaultUnreachableMs = 3000;
// A listener that cannot be reopened at once (port still held) is retried
// this often, this many times.
constexpr int kRelistenRetryMs = 100;
constexpr int kRelistenAttempts = 50;

// Start() and Stop() wait at most this long for the worker thread.
constexpr int kWorkerTimeoutMs = 10 * 1000;

} // namespace SimLimits
