#!/usr/bin/env bash
# Extracts the images of many PDF files with GNU parallel as the engine:
# one "vellumin-cli -j 1 --skip-done" run per document, so that each document
# has its own line in parallel's job log, its own exit status, and its files
# in the place a plain vellumin-cli run gives it.
#
# Usage: parallel-extract.sh [OPTIONS] FOLDER-or-LIST-FILE
#
# FOLDER is searched for .pdf files, subfolders included; a LIST-FILE names
# one PDF file per line (with --null: one per NUL-ended string). Every option
# goes to vellumin-cli but these, which are parallel's:
#   -j, --jobs N          documents at the same time (default: one per processor)
#   --timeout SECONDS     parallel stops a document that runs longer, beside
#                         vellumin-cli's own --time-limit (default: that limit
#                         plus a minute)
#   --memfree SIZE        start no document while less memory is free (default: 1G)
#   --sshloginfile FILE   spread the documents over the machines in FILE; each
#                         needs vellumin-cli (VELLUMIN_CLI) and the documents
#                         and the output folder at the same paths
#
# The job log (".parallel-extract.joblog") and the list of documents it
# numbers (".parallel-extract.list") are kept in the output folder (-o), or
# else in FOLDER, or beside LIST-FILE. Run again with the same arguments, the
# script resumes: failed and unfinished documents run again, and those already
# done are passed over through their done markers. Remove the job log to start
# afresh. The exit status is parallel's: the number of failed documents (up to
# 101), 0 when none failed.
#
# The vellumin-cli run is VELLUMIN_CLI when set, else the build's.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cli="${VELLUMIN_CLI:-$here/../build/cli/vellumin-cli}"

usage() {
    echo "Usage: $(basename "$0") [OPTIONS] FOLDER-or-LIST-FILE" >&2
    echo "See the comment at the top of $0 for the options." >&2
    exit 2
}

[ $# -ge 1 ] || usage
input="${!#}"
set -- "${@:1:$#-1}"

jobs="" timeout="" memfree="1G" sshloginfile="" null="" output="" time_limit=600
cli_options=()
while [ $# -gt 0 ]; do
    case "$1" in
        -j|--jobs) [ $# -ge 2 ] || usage; jobs="$2"; shift ;;
        -j*) jobs="${1#-j}" ;;
        --jobs=*) jobs="${1#--jobs=}" ;;
        --timeout) [ $# -ge 2 ] || usage; timeout="$2"; shift ;;
        --memfree) [ $# -ge 2 ] || usage; memfree="$2"; shift ;;
        --sshloginfile) [ $# -ge 2 ] || usage; sshloginfile="$2"; shift ;;
        --null) null=1 ;;
        --files-from|--shard|--skip-done)
            echo "$(basename "$0"): $1 is the script's own business; give the list as the last argument." >&2
            exit 2 ;;
        -o|--output-dir|--time-limit)
            [ $# -ge 2 ] || usage
            [ "$1" = --time-limit ] && time_limit="$2" || output="$2"
            cli_options+=("$1" "$2"); shift ;;
        *) cli_options+=("$1") ;;
    esac
    shift
done
[ -n "$timeout" ] || timeout=$(( time_limit > 0 ? time_limit + 60 : 0 ))

if [ -d "$input" ]; then
    state="${output:-$input}"
elif [ -f "$input" ]; then
    state="${output:-$(dirname "$input")}"
else
    echo "$(basename "$0"): $input: no such folder or list file." >&2
    exit 2
fi
mkdir -p "$state"
joblog="$state/.parallel-extract.joblog"
list="$state/.parallel-extract.list"

# The job log numbers the documents of the list: a resumed run keeps the list
# it started with.
if [ ! -s "$joblog" ] || [ ! -f "$list" ]; then
    rm -f "$joblog"
    if [ -d "$input" ]; then
        find "$input" \( -type f -o -type l -xtype f \) -iname '*.pdf' -print0 | LC_ALL=C sort -z > "$list.new"
    elif [ -n "$null" ]; then
        cp "$input" "$list.new"
    else
        tr '\n' '\0' < "$input" > "$list.new"
    fi
    mv "$list.new" "$list"
fi

# Each document runs alone, so nothing gives a second document of one title
# in one output folder its "-2" name: such a list is refused, not written over.
# vellumin-cli's plan of the whole list names the documents that a single run
# places apart from the place their name gives ("apart_from"), and the one
# that has that place.
plan_options=(--plan --null --files-from "$list")
[ -z "$output" ] || plan_options+=(-o "$output")
plan_status=0
plan=$("$cli" "${plan_options[@]}" 2>"$list.plan-errors") || plan_status=$?
if [ "$plan_status" -gt 1 ]; then # 1: a document is missing or unreadable, which its job tells
    cat "$list.plan-errors" >&2
    rm -f "$list" "$list.plan-errors"
    exit 2
fi
rm -f "$list.plan-errors"
string='"((\\.|[^"\\])*)"'
clash=$(printf '%s\n' "$plan" |
        sed -nE "s/^\\{\"apart_from\":$string,\"output\":$string,\"path\":$string\\}\$/\\1 and \\5/;T;p;q")
if [ -n "$clash" ]; then
    echo "$(basename "$0"): $clash would write to the same place; run vellumin-cli --files-from on such a list (with --shard K/N to spread it)." >&2
    rm -f "$list"
    exit 2
fi

parallel_options=(--joblog "$joblog" --resume-failed --null --arg-file "$list" --quote
                  --memfree "$memfree")
[ "$timeout" = 0 ] || parallel_options+=(--timeout "$timeout")
[ -z "$jobs" ] || parallel_options+=(--jobs "$jobs")
[ -z "$sshloginfile" ] || parallel_options+=(--sshloginfile "$sshloginfile")
exec parallel "${parallel_options[@]}" "$cli" -j 1 --skip-done "${cli_options[@]}" {}
