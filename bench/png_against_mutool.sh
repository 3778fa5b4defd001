#!/usr/bin/env bash
# PDF to PNG against mupdf-tools' `mutool extract` as a timing reference, in
# the same run: for each document, `vellumin-cli -j 1 -f png` and `mutool
# extract` (which writes the images as PNG, and the fonts) run in turn, RUNS
# times over, alternated; the best wall time and the best CPU time (user plus
# system, children included) of each count, and their ratios vellumin/mutool
# are printed. mupdf-tools is installed when missing (apt-get, through sudo
# when not root); it is a timing reference only.
#
# usage: bench/png_against_mutool.sh CLI RUNS OUTPUT-PARENT PDF...
set -euo pipefail
# Absolute paths: each program runs in its own empty folder.
cli=$(realpath "$1") runs=$2 parent=$3
shift 3
mapfile -t documents < <(realpath "$@")
if ! command -v mutool > /dev/null; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get install -y -qq mupdf-tools > /dev/null
fi
work=$(mktemp -d "$parent/png-against-mutool-XXXXXX")
trap 'rm -rf "$work"' EXIT

# Runs a command in an empty folder and prints "wall-seconds cpu-seconds".
measure() {
    rm -rf "$work/out" && mkdir "$work/out"
    (cd "$work/out" && /usr/bin/time -f "%e %U %S" -o "$work/time" "$@" > /dev/null 2>&1) || true
    tail -n 1 "$work/time" | awk '{printf "%s %.2f\n", $1, $2 + $3}'
}

printf '%-44s %9s %9s %7s %9s %9s %7s\n' document wall-vel wall-mu ratio cpu-vel cpu-mu ratio
declare -A best
for pdf in "${documents[@]}"; do
    for key in vw vc mw mc; do best[$key]=""; done
    for _ in $(seq "$runs"); do
        read -r w c < <(measure "$cli" -j 1 --no-markers -f png -o "$work/out" "$pdf")
        [ -z "${best[vw]}" ] || awk "BEGIN{exit !($w < ${best[vw]})}" && best[vw]=$w
        [ -z "${best[vc]}" ] || awk "BEGIN{exit !($c < ${best[vc]})}" && best[vc]=$c
        read -r w c < <(measure mutool extract "$pdf")
        [ -z "${best[mw]}" ] || awk "BEGIN{exit !($w < ${best[mw]})}" && best[mw]=$w
        [ -z "${best[mc]}" ] || awk "BEGIN{exit !($c < ${best[mc]})}" && best[mc]=$c
    done
    printf '%-44s %9.2f %9.2f %7.2f %9.2f %9.2f %7.2f\n' "$(basename "$pdf")" "${best[vw]}" "${best[mw]}" \
        "$(awk "BEGIN{print ${best[vw]} / ${best[mw]}}")" "${best[vc]}" "${best[mc]}" \
        "$(awk "BEGIN{if (${best[mc]} > 0) print ${best[vc]} / ${best[mc]}; else print 0}")"
done
