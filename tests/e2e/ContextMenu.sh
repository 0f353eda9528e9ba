#!/usr/bin/env bash
# The context menu with the real mouse and keyboard: opened by a right-click
# on a day and by Shift+F10 or the menu key at the keyboard's day, it marks
# and takes marks back; opened beside the days, each command item opens what it names, "Go
# to today" comes back from another half-year, and Exit leaves with the file
# saved. Items are chosen by their access keys.
#
# ContextMenu.sh LUNABEL_EXE. DISPLAY and WINEPREFIX come from the
# environment; the prefix's own data file is kept aside and put back.
set -euo pipefail

# shellcheck source=program.sh
source "$(dirname "${BASH_SOURCE[0]}")/program.sh" "$@"

if ! lpstat -p PDF >/dev/null 2>&1; then
    echo "no PDF print queue (scripts/printer.sh start): Print... would open no dialog" >&2
    exit 77
fi

# Two days of today's half-year, away from today.
day_a=$((td == 10 ? 11 : 10))
month_b=$((first + 3))
day_b=$(((month_b == tm && td == 20) ? 21 : 20))
far=$(date_key 2001 5 5)
data_file "$far" >"$data"

run_started=$(date +%F)
start_program
xdotool windowfocus --sync "$main"
await "today's month is drawn" unframed "$ty" "$tm" "$td"

# Opens the menu with a right-click at a point or with keys, then chooses an
# item by its access key.
choose() { # "right x y" | keys that open it, key
    if [[ "$1" == right* ]]; then
        read -r _ x y <<<"$1"
        xdotool mousemove "$x" "$y" click 3
    else
        xdotool key "$1"
    fi
    await "the context menu opens" found_menu
    xdotool key "$2"
    await "the context menu closes" menu_closed
}
right_on_day() { # year month day
    local px py
    read -r px py < <(cell_point "$1" "$2" "$3")
    echo "right $((px + 11)) $((py + 9))"
}

# 1. Marking and taking back from a right-click on a day.
choose "$(right_on_day "$ty" "$first" "$day_a")" m
await "the right-clicked day shows a mark" shows_mark "$ty" "$first" "$day_a"
choose "$(right_on_day "$ty" "$first" "$day_a")" r
await "its mark is taken back" shows_no_mark "$ty" "$first" "$day_a"

# 2. The same from Shift+F10, at the keyboard's day, which the right-click
# moved there: marked, taken back, marked again.
choose shift+F10 m
await "Shift+F10 marks the keyboard's day" shows_mark "$ty" "$first" "$day_a"
choose shift+F10 r
await "Shift+F10 takes the mark back" shows_no_mark "$ty" "$first" "$day_a"
xdotool key Right
choose shift+F10 m
await "the next day shows a mark" shows_mark "$ty" "$first" $((day_a + 1))
choose "$(right_on_day "$ty" "$month_b" "$day_b")" m
await "a day of another month shows a mark" shows_mark "$ty" "$month_b" "$day_b"

# 3. Each command item opens what it names; beside the days there is no day item.
beside="right $((X + 240)) $((Y + 104))"
for item in "c dlg_history" "s dlg_settings" "p dlg_print" "h dlg_help" "a dlg_about"; do
    read -r key picture <<<"$item"
    choose "$beside" "$key"
    await_dialog "$picture"
    # Above every control: the history's bottom corner holds a button.
    xdotool mousemove $((dlg_x + 20)) $((dlg_y + 8)) click 1
    xdotool key Escape
    await "Escape closes $picture" no_dialog
done

# 4. Go to today, from the next half-year, with the frame the keyboard brings;
# the menu key opens the menu as Shift+F10 does.
xdotool windowfocus --sync "$main"
xdotool key Next
choose Menu t
await "today is shown and framed" framed "$ty" "$tm" "$td"

# 5. Exit.
choose "$beside" x
await_exit "Exit"
[ "$run_started" = "$(date +%F)" ] || fail "the day changed while the test ran; run it again"
# shellcheck disable=SC2046
data_file $(toggled_keys "$far" -- "$(date_key "$ty" "$first" $((day_a + 1)))" \
    "$(date_key "$ty" "$month_b" "$day_b")") >"$work/expected"
check_saved_file
echo "context menu: marked and took back from the mouse and the keyboard; every item did its work"
