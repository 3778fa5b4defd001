#!/usr/bin/env bash
# The desktop program's run in a real window against vellumin-cli -j 1 on the
# same documents, as PNG, end to end. The window's run is timed from the F5
# key (sent with xdotool) to the moment the run ends and opens the documents'
# folder on the desktop (an xdg-open of ours on the PATH writes that moment
# down); the command line's from its start to its exit. The two take turns,
# RUNS times, and the best time of each counts. Prints both times, their
# ratio (window / command line) and whether both wrote the same files, byte
# for byte; and for each window run, the processor seconds its own process
# and its workers took, a figure that a busy machine disturbs less. Each run works on fresh copies of the documents, and the images
# go beside them, as without an output folder.
#
# usage (in an X server, e.g. under xvfb-run -a):
#   bench/window_run_speed.sh VELLUMIN VELLUMIN-CLI RUNS PDF...
set -euo pipefail
program="$1" cli="$2" runs="$3"
documents=("${@:4}")
work="$(mktemp -d)"
started=()
end_started() {
    for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap end_started EXIT
export TMPDIR="$work"

# The desktop's opener: writes down when it was asked to open something.
mkdir -p "$work/bin"
printf '#!/bin/sh\ndate +%%s.%%N > "%s/opened"\n' "$work" > "$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH"
printf '[Output Images]\nImages Format=4\n[Output General]\nOpen Result=0\n' > "$work/template.ini"

now() { date +%s.%N; }
# The processor seconds a process took itself and those of its ended children, as "own children".
cpu_of() { # PID
    awk -v tick="$(getconf CLK_TCK)" '{ sub(/.*\) /, ""); print ($12 + $13) / tick, ($14 + $15) / tick }' "/proc/$1/stat"
}

# Fresh copies of the documents in folder; their paths, one a line.
copies() { # FOLDER
    rm -rf "$1" && mkdir -p "$1"
    for document in "${documents[@]}"; do
        cp "$document" "$1/" && echo "$1/$(basename "$document")"
    done
}

# Waits up to a minute for what the command prints to be non-empty.
wait_for() { # COMMAND...
    local out
    for _ in $(seq 600); do
        out=$("$@" 2>/dev/null || true)
        [ -n "$out" ] && echo "$out" && return 0
        sleep 0.1
    done
    return 1
}

window_seconds() {
    local folder="$work/window" pid frame start
    mapfile -t paths < <(copies "$folder")
    cp "$work/template.ini" "$work/Settings.ini"
    rm -f "$work/opened"
    "$program" --no-splash --settings "$work/Settings.ini" "${paths[@]}" &
    pid=$!
    started+=("$pid")
    frame=$(wait_for xdotool search --onlyvisible --pid "$pid" --name "Vellumin" | head -1)
    xdotool windowactivate --sync "$frame" 2>/dev/null || xdotool windowfocus --sync "$frame"
    sleep 2 # the window settles: what it reads of the documents at the start is read
    read -r own children < <(cpu_of "$pid")
    start=$(now)
    xdotool key F5
    wait_for cat "$work/opened" >/dev/null
    read -r own2 children2 < <(cpu_of "$pid")
    echo "window's process: $(echo "$own2 - $own" | bc) s of processor, its workers $(echo "$children2 - $children" | bc) s" >&2
    echo "$(cat "$work/opened") - $start" | bc
    kill "$pid"
    wait "$pid" 2>/dev/null || true
}

cli_seconds() {
    local folder="$work/cli" start
    mapfile -t paths < <(copies "$folder")
    start=$(now)
    "$cli" -j 1 -f png --no-markers "${paths[@]}" >/dev/null
    echo "$(now) - $start" | bc
}

window_times=() cli_times=()
for _ in $(seq "$runs"); do
    window_times+=("$(window_seconds)")
    cli_times+=("$(cli_seconds)")
    echo "window ${window_times[-1]} s, command line ${cli_times[-1]} s"
done
best() { printf '%s\n' "$@" | sort -g | head -1; }
best_window=$(best "${window_times[@]}") best_cli=$(best "${cli_times[@]}")
echo "best of $runs: window $best_window s, command line $best_cli s, ratio $(echo "scale=3; $best_window / $best_cli" | bc)"
if diff -r "$work/window" "$work/cli" >"$work/differences"; then
    echo "same files: yes"
else
    echo "same files: NO"; head -5 "$work/differences"
fi
