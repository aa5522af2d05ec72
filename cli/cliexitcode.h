#pragma once

// What the process tells the script that ran it.
namespace CliExit {

constexpr int OK = 0;
// At least one player operation failed; the others still ran.
constexpr int FAILED = 1;
// Nothing was sent: the command line was wrong.
constexpr int USAGE = 2;
// A discovery ended without a single player.
constexpr int NO_PLAYERS = 3;

} // namespace CliExit
