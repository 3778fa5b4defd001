#!/usr/bin/env bash
# A modal window closed by the window manager ends its loop: the About box,
# opened from the Help menu and closed with Alt+F4 (the window manager's
# close), goes; then the main window, closed the same way, ends the
# process, which writes its settings on the way out.
# Run in an X server: modal_close_test.sh PATH-TO-vellumin
source "$(dirname "$0")/program_under_x.sh" "$1"
start_window_manager

start_program Settings.ini
pid=$started_pid
frame=$(wait_for_window "$pid") || { echo "the window never showed"; exit 1; }
# The program's visible windows other than the main one.
others() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -vx "$frame" || true; }
no_other() { [ -z "$(others)" ]; }
# Holds when the window has the keyboard focus.
focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }

xdotool windowactivate --sync "$frame"
wait_until focused "$frame" || { echo "the main window never had the focus"; exit 1; }
xdotool key alt+h
wait_until eval '[ -n "$(others)" ]' || { echo "the Help menu never opened"; exit 1; }
xdotool key Up Return # About, the menu's last item
# The About box: the program's other window that bears its name.
about_box() { xdotool search --onlyvisible --pid "$pid" --name "Vellumin" 2>/dev/null | grep -vx "$frame" | head -1 | grep .; }
wait_until about_box >/dev/null || { echo "the About box never showed"; exit 1; }
about=$(about_box)
xdotool windowactivate --sync "$about"
xdotool key alt+F4
wait_until no_other || { echo "the About box stayed after the window manager closed it"; exit 1; }

xdotool windowactivate --sync "$frame"
wait_until focused "$frame" || { echo "the main window never had the focus back"; exit 1; }
start=$(date +%s%N)
xdotool key alt+F4
wait_for_exit "$pid" || { echo "the process stayed after its main window was closed"; exit 1; }
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
[ -s "$work/Settings.ini" ] || { echo "the settings were not written"; exit 1; }
echo "the process ended ${elapsed_ms} ms after its main window was closed; its settings are written"
