#!/usr/bin/env bash
# The program killed without warning (SIGKILL of its Wine process) once its
# data file holds a day clicked with the real mouse: the next start shows the
# click, and the file holds exactly the expected marks. The test waits for the
# file, never for a time; how long a save takes is a benchmark figure.
#
# KillAfterSave.sh LUNABEL_EXE. DISPLAY and WINEPREFIX come from the
# environment; the prefix's own data file is kept aside and put back.
set -euo pipefail

# shellcheck source=program.sh
source "$(dirname "${BASH_SOURCE[0]}")/program.sh" "$@"

far=$(date_key 2001 5 5)
kept=$(date_key "$ty" "$first" 3)
added=$(date_key "$ty" "$first" 17)
data_file "$far" "$kept" >"$data"
data_file "$far" "$kept" "$added" >"$work/expected"

holds_the_click() { cmp -s "$data" "$work/expected"; }

run_started=$(half_year)
start_program
read -r kx ky < <(cell_point "$ty" "$first" 3)
await "the prepared mark is shown" painted_as "$kx" "$ky" "$marked_fill"

read -r px py < <(cell_point "$ty" "$first" 17)
xdotool mousemove $((px + 11)) $((py + 9)) click 1
await "the click shows" painted_as "$px" "$py" "$marked_fill"
await "the data file holds the click" holds_the_click

kill -KILL "$app"
wait "$app" 2>/dev/null || true
app=""
holds_the_click || fail "the kill changed the data file"

start_program
# Away from the window: the pointer must not frame a day over the colours read.
xdotool mousemove 0 0
read -r px py < <(cell_point "$ty" "$first" 17)
await "the restarted program shows the click" painted_as "$px" "$py" "$marked_fill"
await "the restarted program shows the prepared mark" painted_as "$kx" "$ky" "$marked_fill"
holds_the_click || fail "the restart changed the data file"

click 605 28 # Exit
await_exit "Exit"
[ "$run_started" = "$(half_year)" ] || fail "the half-year changed while the test ran; run it again"
check_saved_file
echo "kill after save: the restarted program shows the click and the file holds it"
