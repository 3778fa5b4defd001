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
sleep 0.5

# The pace of a person between two keys or clicks: the menu bar settles
# into the state a key leaves it in (Esc from a menu leaves the bar's
# keyboard mode on, which a second Esc ends) between them.
settle() { sleep 0.4; }
# The program's visible windows other than the main one (menus, dialogs), as "x,y" each.
others() {
    for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
        [ "$w" = "$frame" ] && continue
        eval "$(xdotool getwindowgeometry --shell "$w")"
        echo "$X,$Y"
    done | sort
}
count_others() { others | grep -c . || true; }
# True when there are count windows besides the main one and, when a test
# of the menu's x is given ("= X" or "!= X"), the menu's x passes it.
menus_are() { # count, [op, x]
    [ "$(count_others)" = "$1" ] || return 1
    [ -z "${2:-}" ] || [ "$(others | head -1 | cut -d, -f1)" "$2" "$3" ]
}
# Waits until menus_are holds (a deadline of a minute, see wait_until), then
# reports what there is when it never does.
expect_menus() { # what, count, [op, x]
    wait_until menus_are "${@:2}" && return
    fail "$1: $(count_others) windows besides the main one at $(others | tr '\n' ' '), expected $2 ${3:-} ${4:-}"
}

# The titles' buttons from the left: File, Edit, Help (the font decides
# their widths, so each menu's place is read when it opens).
click_title() { xdotool mousemove $((left + $1)) $((top + 10)) click 1; settle; }

click_title 12
expect_menus "a click on File" 1 = "$left"
file_x="${left}"
xdotool key Right; settle
expect_menus "Right from File: Edit's menu" 1 != "$file_x"
xdotool key Right; settle
xdotool key Right; settle
expect_menus "Right from Help, the last" 1 = "$file_x"
xdotool key Escape; settle
expect_menus "Esc" 0
xdotool key Escape; settle

click_title 12
click_title 12
expect_menus "a second click on the open menu's button" 0

xdotool windowfocus --sync "$frame"
xdotool key alt+f; settle
expect_menus "Alt+F" 1 = "$file_x"
xdotool key Escape; settle
xdotool key Escape; settle

# Help's last item, About, chosen with the keyboard: one About box.
xdotool key alt+h; settle
xdotool key Up Return; settle
expect_menus "About chosen from the Help menu" 1
about=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -vx "$frame" | head -1 || true)
[ -n "$about" ] || fail "no About box"
# The About box closes at a click.
[ -z "$about" ] || { xdotool mousemove --window "$about" 20 20 click 1; settle; }
expect_menus "the About box closed" 0

kill -0 "$pid" || fail "the program ended"
[ "$failures" = 0 ] || exit 1
echo "the menus answered real X input"
