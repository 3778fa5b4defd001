#!/usr/bin/env bash
# Speed of vellumin-cli --list against the raw dump of the same documents, in
# the same run: for each document, the best of RUNS runs of each and the ratio
# list/dump. The list decodes nothing, so the ratio should stay well below 0.2.
#
# usage: bench/list_speed.sh CLI RUNS OUTPUT-PARENT PDF...
set -euo pipefail
cli=$1 runs=$2 parent=$3
shift 3
work=$(mktemp -d "$parent/list-speed-XXXXXX")
trap 'rm -rf "$work"' EXIT

# Best time in seconds over RUNS runs of the command.
best() {
    local best_time=""
    for _ in $(seq "$runs"); do
        rm -rf "$work/out"
        /usr/bin/time -f "%e" -o "$work/time" "$@" > /dev/null 2>&1 || true
        t=$(tail -n 1 "$work/time")
        if [ -z "$best_time" ] || awk "BEGIN{exit !($t < $best_time)}"; then best_time=$t; fi
    done
    echo "$best_time"
}

printf '%-48s %8s %8s %7s %7s\n' document dump-s list-s ratio images
for pdf in "$@"; do
    dump=$(best "$cli" -j 1 -f ppm --no-markers -o "$work/out" "$pdf")
    list=$(best "$cli" -j 1 --list "$pdf")
    images=$("$cli" --list --json "$pdf" 2> /dev/null | grep -vc '"type":"[s]*mask"' || true)
    printf '%-48s %8s %8s %7s %7s\n' "$(basename "$pdf")" "$dump" "$list" \
        "$(awk "BEGIN{printf \"%.3f\", ($dump > 0 ? $list / $dump : 0)}")" "$images"
done
