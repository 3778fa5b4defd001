#!/usr/bin/env bash
# Peak memory of a run over a long --files-from list, against a short one in
# the same run: the list is read as the run goes, so memory should not grow
# with it beyond the run's bookkeeping.
#
# Usage: bench/files_from_memory.sh CLI [LINES] [WORK-DIR]
#   CLI       the vellumin-cli to measure
#   LINES     lines of the long list (default 1000000)
#   WORK-DIR  where the lists and the output go (default: a temporary folder)
#
# Each list names mostly missing files (a path under a folder that does not
# exist), with a copy of the sample document every LINES/10 lines, so that ten
# documents are extracted. Prints for each list its lines, seconds, peak
# resident memory in KB and the ratio to the shortest list's peak.
set -euo pipefail

[ $# -ge 1 ] || { echo "usage: $0 CLI [LINES] [WORK-DIR]" >&2; exit 2; }
cli="$1"
lines="${2:-1000000}"
work="${3:-$(mktemp -d)}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
mkdir -p "$work"
for k in 0 1 2 3 4 5 6 7 8 9; do cp "$here/../resources/sample.pdf" "$work/sample-$k.pdf"; done

make_list() { # LINES FILE
    awk -v n="$1" -v work="$work" 'BEGIN {
        step = int(n / 10)
        for (i = 0; i < n; ++i)
            print (i % step == 0 ? work "/sample-" int(i / step) ".pdf" : "/nonexistent-folder/document-" i ".pdf")
    }' > "$2"
}

printf '%10s %10s %12s %8s\n' lines seconds peak-KB ratio
reference=""
for count in 1000 $(( lines / 10 )) "$lines"; do
    make_list "$count" "$work/list"
    rm -rf "$work/out"
    /usr/bin/time -f "%e %M" -o "$work/time" "$cli" -f ppm -j 2 -o "$work/out" --no-markers \
        --files-from "$work/list" > /dev/null 2>&1 || true
    read -r seconds peak < <(tail -n 1 "$work/time")
    [ -n "$reference" ] || reference="$peak"
    printf '%10d %10s %12d %8.2f\n' "$count" "$seconds" "$peak" "$(awk "BEGIN{print $peak / $reference}")"
done
