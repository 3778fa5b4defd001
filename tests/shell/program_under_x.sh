# Sourced by the shell tests that run the desktop program in an X server
# (source program_under_x.sh PATH-TO-vellumin): a scratch folder that is also
# where the per-user instance socket lives, the programs started here ended
# and the folder removed on exit, and ways to start the program and to wait
# until it listens or shows its window.
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

# Starts the program in the background with its settings in the scratch
# folder; its process id is left in $started_pid.
start_program() { # SETTINGS-FILE-NAME [ARGUMENTS...]
    "$program" --no-splash --settings "$work/$1" "${@:2}" &
    started_pid=$!
    started+=("$started_pid")
}

# Waits up to 10 s for an instance to listen on its socket.
wait_until_listening() {
    for _ in $(seq 100); do
        compgen -G "$work/vellumin-*" >/dev/null && return 0
        sleep 0.1
    done
    return 1
}

# Waits up to 10 s for the main window of a process and prints its id.
wait_for_window() { # PID
    local window
    for _ in $(seq 100); do
        window=$(xdotool search --onlyvisible --pid "$1" --name "Vellumin" 2>/dev/null | head -1 || true)
        [ -n "$window" ] && echo "$window" && return 0
        sleep 0.1
    done
    return 1
}
