#!/usr/bin/env bash
# The program with the real keyboard alone: no frame before the first key,
# the keyboard's day framed after it; the arrows reach a day in the next
# half-year, Space and Enter mark days, Page Up and Page Down step half a
# year and take the day along, Ctrl+Home comes back to today; a click ends
# the frame; Alt+F4 leaves. The saved file must hold exactly the keys the
# toggles leave.
#
# Keyboard.sh LUNABEL_EXE. DISPLAY and WINEPREFIX come from the environment;
# the prefix's own data file is kept aside and put back.
set -euo pipefail

# shellcheck source=program.sh
source "$(dirname "${BASH_SOURCE[0]}")/program.sh" "$@"

far=$(date_key 2001 5 5) # never on screen, must survive untouched
data_file "$far" >"$data"
toggled=()

# The keyboard's day starts on today: ty tm td.
run_started=$(date +%F)
start_program
# The pointer away from the grids, whose hover frame would look like ours.
xdotool mousemove 1279 1023
xdotool windowfocus --sync "$main"
await "today's month is drawn" unframed "$ty" "$tm" "$td"

# Sets the day's expected look after a toggle and waits for it.
toggle() { # year month day
    local key
    key=$(date_key "$1" "$2" "$3")
    toggled+=("$key")
    if [ "$(toggled_keys "$far" -- "${toggled[@]}" | tr ' ' '\n' | grep -cx "$key")" = 1 ]; then
        await "$1-$2-$3 shows a mark" shows_mark "$1" "$2" "$3"
    else
        await "$1-$2-$3 shows no mark" shows_no_mark "$1" "$2" "$3"
    fi
}

# 1. The first key brings the frame, around the keyboard's day only.
unframed "$ty" "$tm" "$td" || fail "a frame shows before any key was pressed"
xdotool key Right
read -r y1 m1 d1 < <(date_after "$ty" "$tm" "$td" 1)
await "the next day is framed" framed "$y1" "$m1" "$d1"
if [ "$(((m1 - 1) / 6))" = "$(((tm - 1) / 6))" ]; then
    unframed "$ty" "$tm" "$td" || fail "today keeps a frame"
fi

# 2. Down, a week at a time, into the next half-year, and Space there.
next_start_month=$(((m1 - 1) / 6 * 6 + 7))
next_start=$(date -d "$((y1 + (next_start_month > 12)))-$(((next_start_month - 1) % 12 + 1))-1" +%s)
days=$(((next_start - $(date -d "$y1-$m1-$d1" +%s) + 43200) / 86400))
weeks=$(((days + 6) / 7))
xdotool key --delay 40 $(printf 'Down %.0s' $(seq 1 "$weeks"))
read -r ya ma da < <(date_after "$y1" "$m1" "$d1" $((7 * weeks)))
xdotool key space
toggle "$ya" "$ma" "$da"

# 3. Page Up takes the day six months back, Space toggles it; Page Down and
# Enter the same six months on.
read -r yb mb db < <(months_after "$ya" "$ma" "$da" -6)
xdotool key Prior space
toggle "$yb" "$mb" "$db"
read -r yc mc dc < <(months_after "$yb" "$mb" "$db" 6)
xdotool key Next Return
toggle "$yc" "$mc" "$dc"

# 4. Ctrl+Home: back to today, wherever the view went.
xdotool key Next ctrl+Home space
toggle "$ty" "$tm" "$td"
await "today is framed" framed "$ty" "$tm" "$td"

# 5. A click on the bare background ends the frame.
click 240 104
await "the click ends the frame" unframed "$ty" "$tm" "$td"

xdotool key alt+F4
await_exit "Alt+F4"
[ "$run_started" = "$(date +%F)" ] || fail "the day changed while the test ran; run it again"
# shellcheck disable=SC2046
data_file $(toggled_keys "$far" -- "${toggled[@]}") >"$work/expected"
check_saved_file
echo "keyboard: reached, marked and stepped with keys alone; the saved file holds the expected marks"
