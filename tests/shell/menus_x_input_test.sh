#!/usr/bin/env bash
# The menus of the desktop program under real X input (xdotool): a click on
# File opens its menu under the button, Right moves to Edit's and from the
# last menu to the first, Esc closes the menu, a second click on the open
# menu's button closes it, Alt+F opens File, and a command chosen from a
# menu (About) runs once. Run in an X server: menus_x_input_test.sh PATH-TO-vellumin
source "$(dirname "$0")/program_under_x.sh" "$1"
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

start_program Settings.ini
pid=$started_pid
frame=$(wait_for_window "$pid") || { echo "the window never showed"; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$frame")"
left=$X top=$Y

# The program's visible windows other than the main one (menus, dialogs), as "x,y" each.
others() {
    for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
        [ "$w" = "$frame" ] && continue
        eval "$(xdotool getwindowgeometry --shell "$w")"
        echo "$X,$Y"
    done | sort
}
count_others() { others | grep -c . || true; }
# True when there are count windows besides the main one and, when tests
# of the menu's x are given ("= X", "!= X", each an operator and a value),
# the menu's x passes them all.
menus_are() { # count, [op, x]...
    [ "$(count_others)" = "$1" ] || return 1
    local x
    x=$(others | head -1 | cut -d, -f1)
    shift
    while [ $# -ge 2 ]; do
        [ "$x" "$1" "$2" ] || return 1
        shift 2
    done
}
# Waits until menus_are holds, then reports what there is when it never does.
expect_menus() { # what, count, [op, x]...
    wait_until menus_are "${@:2}" && return
    fail "$1: $(count_others) windows besides the main one at $(others | tr '\n' ' '), expected ${*:2}"
}
menu_x() { others | head -1 | cut -d, -f1; }

# The titles' buttons from the left: File, Edit, Help (the font decides
# their widths, so each menu's place is read when it opens). Two clicks on
# the same button land a few pixels apart, so that they never make a
# double click.
click_title() { xdotool mousemove $((left + $1)) $((top + 10)) click 1; }

click_title 12
expect_menus "a click on File" 1 = "$left"
file_x=$(menu_x)
xdotool key Right
expect_menus "Right from File: Edit's menu" 1 != "$file_x"
edit_x=$(menu_x)
xdotool key Right
expect_menus "Right from Edit: Help's menu" 1 != "$file_x" != "$edit_x"
xdotool key Right
expect_menus "Right from Help, the last" 1 = "$file_x"
xdotool key Escape
expect_menus "Esc" 0
xdotool key Escape

click_title 12
expect_menus "a first click on File" 1 = "$file_x"
click_title 20
expect_menus "a second click on the open menu's button" 0

xdotool windowfocus --sync "$frame"
xdotool key alt+f
expect_menus "Alt+F" 1 = "$file_x"
xdotool key Escape
expect_menus "Esc after Alt+F" 0
xdotool key Escape

# Help's last item, About, chosen with the keyboard: one About box.
xdotool key alt+h
expect_menus "Alt+H" 1 != "$file_x" != "$edit_x"
help_x=$(menu_x)
xdotool key Up Return
expect_menus "About chosen from the Help menu" 1 != "$help_x"
about=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -vx "$frame" | head -1 || true)
[ -n "$about" ] || fail "no About box"
# The About box closes at a click.
[ -z "$about" ] || xdotool mousemove --window "$about" 20 20 click 1
expect_menus "the About box closed" 0

runs "$pid" || fail "the program ended"
[ "$failures" = 0 ] || exit 1
echo "the menus answered real X input"
