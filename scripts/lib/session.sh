# shellcheck shell=bash
# Shared by the scripts that start the tool on a display: scripts/run,
# scripts/screenshots and scripts/with-xvfb. Sourced, not run.
#
#   session_build BUILD_DIR      installs what is missing and builds the tool
#                                (with its browser library) and the simulator
#   session_track PID            stops PID when the script ends
#   session_remove_at_exit PATH  deletes PATH when the script ends
#   session_runtime_dir          gives Qt a private runtime folder if none is set
#   session_config_dir           gives the tool an empty configuration folder,
#                                so it opens at its default size
#   session_virtual_display      starts Xvfb and exports DISPLAY; fails if it
#                                did not come up

# Seconds to wait for the virtual display to come up.
readonly SESSION_XVFB_START_TIMEOUT_S=10

session_pids=()
session_paths=()

session_build() {
    local build_dir="$1"
    scripts/install-deps
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build_dir" --parallel "$(nproc)" --target kestavon-setup kestavon-player-sim
}

session_track() {
    session_pids+=("$1")
}

session_remove_at_exit() {
    session_paths+=("$1")
}

# Every process is told first and waited for after, so none outlives the
# namespace's last user and leaves a socket or a display behind.
session_cleanup() {
    local pid path
    for pid in "${session_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${session_pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    for path in "${session_paths[@]}"; do
        rm -rf "$path"
    done
    return 0
}
trap session_cleanup EXIT

# Qt wants a private runtime directory; root sessions often have none.
session_runtime_dir() {
    [ -n "${XDG_RUNTIME_DIR:-}" ] && return 0
    XDG_RUNTIME_DIR=$(mktemp -d)
    chmod 700 "$XDG_RUNTIME_DIR"
    export XDG_RUNTIME_DIR
    session_remove_at_exit "$XDG_RUNTIME_DIR"
}

session_config_dir() {
    XDG_CONFIG_HOME=$(mktemp -d)
    export XDG_CONFIG_HOME
    session_remove_at_exit "$XDG_CONFIG_HOME"
    # The players seen are remembered there too, not among the user's.
    XDG_DATA_HOME=$(mktemp -d)
    export XDG_DATA_HOME
    session_remove_at_exit "$XDG_DATA_HOME"
}

# The display is reached through its local socket only: -nolisten tcp, and
# inside the namespace there is no network to reach it by anyway.
session_virtual_display() {
    local display_fifo display_number=""
    display_fifo=$(mktemp -u)
    mkfifo "$display_fifo"
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$display_fifo" >/dev/null 2>&1 &
    session_track $!
    read -r -t "$SESSION_XVFB_START_TIMEOUT_S" display_number <"$display_fifo" || true
    rm -f "$display_fifo"
    [ -n "$display_number" ] || return 1
    export DISPLAY=":$display_number"
}
