#!/usr/bin/env bash
# Import as she does it with the keyboard: the cycle history's Import, a
# tracker's per-day log chosen in the Open dialog, the preview's Add; the
# saved file then holds the two period starts the log has, next to her own
# mark. Ctrl+Z in the calendar takes them back out of the file.
#
# Import.sh LUNABEL_EXE. DISPLAY and WINEPREFIX come from the environment;
# the prefix's own data file is kept aside and put back.
set -euo pipefail

# shellcheck source=program.sh
source "$(dirname "${BASH_SOURCE[0]}")/program.sh" "$@"

log="$(cd "$(dirname "${BASH_SOURCE[0]}")/../import" && pwd)/per-day-log.csv"
far=$(date_key 2001 5 5)
data_file "$far" >"$data"
# Following her cycles would change the cycle length the file holds.
wine reg add 'HKCU\Software\Lunabel' /v FollowCycles /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1

window_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1; }
shown() { [ -n "$(window_named "$1")" ]; }
file_is() { cmp -s "$data" "$1"; }

start_program
xdotool windowfocus --sync "$main"
xdotool key ctrl+h
await "the cycle history opens" shown "Cycle history"
click_background() { # window: a click there hands it the keyboard
    eval "$(xdotool getwindowgeometry --shell "$1" | sed 's/^/D/')"
    xdotool mousemove $((DX + 20)) $((DY + DHEIGHT - 8)) click 1
}
click_background "$(window_named "Cycle history")"
xdotool key alt+i
await "the Open dialog opens" shown "Open"
xdotool type --delay 10 "$(winepath -w "$log")"
xdotool key Return
await "the import preview opens" shown "Import period starts"
click_background "$(window_named "Import period starts")"
xdotool key alt+a

data_file "$far" "$(date_key 2024 1 5)" "$(date_key 2024 2 3)" >"$work/imported"
await "the file holds the imported starts" file_is "$work/imported"
xdotool key Escape
await "the cycle history closes" bash -c "! xdotool search --onlyvisible --name '^Cycle history\$' >/dev/null 2>&1"

data_file "$far" >"$work/expected"
xdotool windowfocus --sync "$main"
xdotool key ctrl+z
await "Undo import takes them out of the file" file_is "$work/expected"
xdotool key alt+F4
await_exit "Alt+F4"
check_saved_file
echo "import: a per-day log added its two starts to the file, and Undo import took them back"
