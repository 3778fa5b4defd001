#!/usr/bin/env bash
# A second start of the desktop program hands over to the first and ends at
# once, without reading or writing settings; the first one goes on running.
# Run in an X server: second_start_test.sh PATH-TO-vellumin
source "$(dirname "$0")/program_under_x.sh" "$1"

start_program first.ini
first=$started_pid
wait_until_listening || { echo "the first instance never listened"; exit 1; }

start=$(date +%s%N)
timeout 60 "$program" --no-splash --settings "$work/second.ini" || { echo "the second start did not end by itself"; exit 1; }
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
[ ! -e "$work/second.ini" ] || { echo "the second start went as far as its settings"; exit 1; }
runs "$first" || { echo "the first instance ended"; exit 1; }
echo "the second start ended after ${elapsed_ms} ms; the first instance runs on"
