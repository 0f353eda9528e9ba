#!/usr/bin/env bash
# Her calendar behind a password, with the real mouse and keyboard: "Protect
# with a password..." from the context menu, the password twice, the recovery
# key kept; the file is then sealed and no file beside it shows her mark. At
# the next start the grids are blank under the password dialog, a second copy
# leaves it be, a wrong password is refused in the dialog and the right one
# shows her mark again. Then a click on a day and Ctrl+L at once: when the
# password dialog is up the grids are blank, and the unlock, which reads the
# file, shows the click.
#
# Password.sh LUNABEL_EXE. DISPLAY and WINEPREFIX come from the environment;
# the prefix's own data file is kept aside and put back.
set -euo pipefail

# shellcheck source=program.sh
source "$(dirname "${BASH_SOURCE[0]}")/program.sh" "$@"

day=$((td == 10 ? 11 : 10))
mark=$(date_key "$ty" "$first" "$day")
data_file "$mark" >"$data"
folder="$(dirname "$data")"
# What an earlier run left beside the file is not this test's, and what this
# one leaves (sealed copies) is no other test's.
rm -f "$data".*
trap 'rm -f "$data".*; finish' EXIT

window_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1; }
shown() { [ -n "$(window_named "$1")" ]; }
sealed() { [ "$(head -c 8 "$data" | od -An -tx1 | tr -d ' ')" = "894c554e5345414c" ]; }
colours() { import -window root -crop "$1" -format %k info: 2>/dev/null; }

start_program
await "her mark shows" shows_mark "$ty" "$first" "$day"
xdotool windowfocus --sync "$main"
xdotool key shift+F10
await "the context menu opens" found_menu
xdotool key w
await "the context menu closes" menu_closed
await_dialog dlg_protect
focus_dialog
xdotool type --delay 20 "Moon7abc"
xdotool key Tab
xdotool type --delay 20 "Moon7abc"
xdotool key Return
await "the recovery key is shown" shown "Lunabel recovery key"
xdotool key alt+k alt+f
await "the data file is sealed" sealed
await "the dialog closes" no_dialog

# No file she keeps shows the mark's bytes, and none reads as a plain file.
python3 - "$folder" "$mark" <<'PY' || fail "a file beside the data file shows her mark"
import os, struct, sys
folder, mark = sys.argv[1], int(sys.argv[2])
for name in os.listdir(folder):
    if name.startswith("Lunabel.data"):
        data = open(os.path.join(folder, name), "rb").read()
        if struct.pack("<I", mark) in data or data.startswith(b"GOOD"):
            sys.exit(f"{name} shows it")
PY
cp "$data" "$work/sealed"
xdotool windowfocus --sync "$main"
xdotool key alt+F4
await_exit "Alt+F4"

start_program
await_dialog dlg_unlock
unlock_dialog="$dialog"
shows_no_mark "$ty" "$first" "$day" || fail "the grids show her mark before she unlocked"

# A second copy leaves at once; the password dialog stays (the foreground it
# is given is checked in SealedProcessTest, where the system can be asked).
status=0
LC_ALL=en_US.UTF-8 wine "$exe" || status=$?
[ "$status" = 0 ] || fail "the second copy ended with code $status"
found_dialog && [ "$dialog" = "$unlock_dialog" ] || fail "the password dialog went away"

# The message line, right of where "Opening your calendar..." ends: only the
# refusal reaches there.
message="120x13+$((dlg_x + 200))+$((dlg_y + 120))"
blank=$(colours "$message")
# A click in the password box (the bottom left corner holds "Forgot password?").
xdotool mousemove $((dlg_x + 200)) $((dlg_y + 99)) click 1
xdotool type --delay 20 "Moon7abd"
xdotool key Return
await "the wrong password is refused" bash -c "[ \$(import -window root -crop $message -format %k info:) -gt $((blank + 4)) ]"
shows_no_mark "$ty" "$first" "$day" || fail "a wrong password showed her mark"
xdotool type --delay 20 "Moon7abc"
xdotool key Return
await "her mark shows again" shows_mark "$ty" "$first" "$day"
await "the dialog closes" no_dialog
cmp -s "$data" "$work/sealed" || fail "unlocking changed the file"

# A Sunday or Monday of the first month: its cell lies left of the dialog.
clicked=1
while [ "$(date -d "$ty-$first-$clicked" +%w)" -gt 1 ] || [ "$clicked" = "$day" ]; do
    clicked=$((clicked + 1))
done
read -r cx cy < <(cell_point "$ty" "$first" "$clicked")
xdotool mousemove "$cx" "$cy" click 1
xdotool key ctrl+l
await_dialog dlg_unlock
shows_no_mark "$ty" "$first" "$clicked" || fail "the grids showed the click under the password dialog"
sealed || fail "the locked file is not sealed"
cmp -s "$data" "$work/sealed" && fail "the click was not saved before the lock"
xdotool mousemove $((dlg_x + 200)) $((dlg_y + 99)) click 1
xdotool type --delay 20 "Moon7abc"
xdotool key Return
await "the click shows after the unlock" shows_mark "$ty" "$first" "$clicked"
await "the dialog closes" no_dialog

xdotool windowfocus --sync "$main"
xdotool key alt+F4
await_exit "Alt+F4"
sealed || fail "the file is not sealed at the end"
echo "password: the file was sealed, the grids blank until the right password, a lock saved the click first"
