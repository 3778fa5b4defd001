#!/usr/bin/env bash
# At a high scaling the main window opens inside the screen, its frame
# (title bar and borders, as the window manager says) included.
# Run in an X server of 1600x1000 with QT_SCALE_FACTOR=1.5:
# high_scale_test.sh PATH-TO-vellumin
source "$(dirname "$0")/program_under_x.sh" "$1"
start_window_manager

start_program Settings.ini
frame=$(wait_for_window "$started_pid") || { echo "the window never showed"; exit 1; }
# The window manager's frame around the window: left, right, top, bottom.
extents() { xprop -id "$frame" _NET_FRAME_EXTENTS 2>/dev/null | grep -o '[0-9].*' | tr -d ' '; }
wait_until extents >/dev/null || { echo "the window manager never framed the window"; exit 1; }
IFS=, read -r left right top bottom <<<"$(extents)"
eval "$(xdotool getwindowgeometry --shell "$frame")"
eval "$(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print "SCREEN_WIDTH=" d[1] "; SCREEN_HEIGHT=" d[2] }')"
outer="$((X - left)),$((Y - top)) to $((X + WIDTH + right)),$((Y + HEIGHT + bottom))"
if ((X - left < 0 || Y - top < 0 || X + WIDTH + right > SCREEN_WIDTH || Y + HEIGHT + bottom > SCREEN_HEIGHT)); then
    echo "the window with its frame, $outer, is not inside the ${SCREEN_WIDTH}x${SCREEN_HEIGHT} screen"
    exit 1
fi
echo "the window with its frame, $outer, is inside the ${SCREEN_WIDTH}x${SCREEN_HEIGHT} screen"
