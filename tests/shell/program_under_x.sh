# Sourced by the shell tests that run the desktop program in an X server
# (source program_under_x.sh PATH-TO-vellumin): a scratch folder that is also
# where the per-user instance socket lives, the programs started here ended
# and the folder removed on exit, and ways to start the program and to wait
# until it listens or shows its window. Every wait is a deadline of a minute
# that ends as soon as what it waits for holds, so that a loaded machine is
# only slower.
set -euo pipefail
program="$1"
work="$(mktemp -d)"
started=()
end_started() {
    for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap end_started EXIT
export TMPDIR="$work"

# Runs a command every tenth of a second until it succeeds (true) or a
# minute has gone by (false).
wait_until() { # COMMAND...
    local deadline=$((SECONDS + 60))
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

# Starts the program in the background with its settings in the scratch
# folder; its process id is left in $started_pid.
start_program() { # SETTINGS-FILE-NAME [ARGUMENTS...]
    "$program" --no-splash --settings "$work/$1" "${@:2}" &
    started_pid=$!
    started+=("$started_pid")
}

# Starts a window manager (for the tests of what it does: closes, focus)
# and waits until it manages the screen.
start_window_manager() {
    openbox --sm-disable &
    started+=("$!")
    wait_until window_manager_runs || { echo "the window manager never started"; return 1; }
}
window_manager_runs() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }

# Waits for an instance to listen on its socket.
wait_until_listening() {
    wait_until compgen -G "$work/vellumin-*" >/dev/null
}

# The first visible window of a process named Vellumin, printed; false when none.
visible_window() { # PID
    local window
    window=$(xdotool search --onlyvisible --pid "$1" --name "Vellumin" 2>/dev/null | head -1 || true)
    [ -n "$window" ] && echo "$window"
}

# Waits for the main window of a process and prints its id.
wait_for_window() { # PID
    wait_until visible_window "$1" >/dev/null && visible_window "$1"
}

# Whether a process runs (one that ended and waits to be reaped does not).
runs() { # PID
    local state
    state=$(ps -o stat= -p "$1" 2>/dev/null) && [ "${state:0:1}" != Z ]
}

# Waits for a process started here to end.
wait_for_exit() { # PID
    wait_until eval '! runs '"$1"
}
