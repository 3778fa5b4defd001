#!/usr/bin/env bash
# End-to-end speed of vellumin-cli against a reference build of it, in the
# same run: for each document and format, the two programs run in turn, the
# best of RUNS counts, and the ratio current/reference is printed with the
# peak memory of each; for the current program's PNG run, the memory it takes
# beyond its raw dump, against the largest decoded image (the largest file of
# the raw dump). The files of both must be the same: byte for byte, or
# for PNG pixel for pixel (read back with ImageMagick). Then a batch of documents
# at -j 1 and at -j 2 with the current program.
#
# usage: bench/cli_speed.sh REFERENCE-CLI CURRENT-CLI RUNS OUTPUT-PARENT BATCH-COUNT PDF...
#        (the batch is the BATCH-COUNT largest of the PDFs given)
set -euo pipefail
reference=$1 current=$2 runs=$3 parent=$4 batch=$5
shift 5
work=$(mktemp -d "$parent/cli-speed-XXXXXX")
trap 'rm -rf "$work"' EXIT

# Runs a program and prints "seconds peak-KB" (the peak of its children too).
measure() {
    local out=$1
    shift
    rm -rf "$out"
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" -o "$out" > /dev/null 2>&1 || true
    tail -n 1 "$work/time" # after "Command exited with non-zero status" when it did
}

# Best time and its peak over RUNS runs.
best() {
    local best_time="" best_memory=""
    for _ in $(seq "$runs"); do
        read -r t m < <(measure "$@")
        if [ -z "$best_time" ] || awk "BEGIN{exit !($t < $best_time)}"; then best_time=$t best_memory=$m; fi
    done
    echo "$best_time $best_memory"
}

same_files() {
    local a=$1 b=$2 format=$3
    [ "$(cd "$a" && ls | sort)" = "$(cd "$b" && ls | sort)" ] || { echo "different names"; return; }
    for f in $(cd "$a" && ls); do
        if [ "$format" = png ] && [ "${f##*.}" = png ]; then
            cmp -s <(convert "$a/$f" rgb:- 2>/dev/null) <(convert "$b/$f" rgb:- 2>/dev/null) || { echo "pixels differ: $f"; return; }
        else
            cmp -s "$a/$f" "$b/$f" || { echo "bytes differ: $f"; return; }
        fi
    done
    echo "same files"
}

printf '%-44s %-4s %9s %9s %7s %10s %10s %14s  %s\n' document fmt ref-s cur-s ratio ref-MB cur-MB extra/largest check
for pdf in "$@"; do
    dump_memory=0 largest=1
    for format in ppm png; do
        read -r rt rm < <(best "$work/ref" "$reference" -f "$format" "$pdf")
        read -r ct cm < <(best "$work/cur" "$current" -f "$format" "$pdf") # its default -j
        extra=""
        if [ "$format" = ppm ]; then
            dump_memory=$cm
            largest=$(find "$work/cur" -type f -printf '%s\n' 2>/dev/null | sort -n | tail -1)
            largest=${largest:-0}
        else
            extra=$(awk "BEGIN{if ($largest > 0) printf \"%.2f of %.1f MB\", ($cm - $dump_memory) * 1024 / $largest, $largest / 1048576}")
        fi
        printf '%-44s %-4s %9.2f %9.2f %7.2f %10.1f %10.1f %14s  %s\n' "$(basename "$pdf")" "$format" "$rt" "$ct" \
            "$(awk "BEGIN{if ($rt > 0) print $ct / $rt; else print 0}")" "$(awk "BEGIN{print $rm / 1024}")" "$(awk "BEGIN{print $cm / 1024}")" \
            "$extra" "$(same_files "$work/ref" "$work/cur" "$format")"
    done
done

mapfile -t largest < <(ls -S "$@" | head -n "$batch")
echo
echo "batch of the ${#largest[@]} largest documents, -f png:"
read -r one _ < <(best "$work/one" "$current" -j 1 -f png "${largest[@]}")
read -r two _ < <(best "$work/two" "$current" -j 2 -f png "${largest[@]}")
printf '  -j 1  %7.2f s\n  -j 2  %7.2f s   speed-up %.2f   %s\n' "$one" "$two" "$(awk "BEGIN{print $one / $two}")" \
    "$(same_files "$work/one" "$work/two" png)"
