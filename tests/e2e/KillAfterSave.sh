#!/usr/bin/env bash
# The program killed without warning (SIGKILL of its Wine process) once its
# data file holds a day clicked with the real mouse: the next start shows the
# click, and the file holds exactly the expected marks. The test waits for the
# file, never for a time; how long a save takes is a benchmark figure.
#
# KillAfterSave.sh LUNABEL_EXE. DISPLAY and WINEPREFIX come from the
# environment; the prefix's own data file is kept aside and put back.
set -euo pipefail

exe="$1"
[ -n "${DISPLAY:-}" ] && [ -n "${WINEPREFIX:-}" ] || { echo "needs DISPLAY and WINEPREFIX" >&2; exit 1; }
export WINEDEBUG=-all
export AWAIT_SECONDS="${AWAIT_SECONDS:-60}"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
# shellcheck source=../../scripts/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/common.sh"
# shellcheck source=desktop.sh
source "$(dirname "${BASH_SOURCE[0]}")/desktop.sh"

data="$(wine_data_file)"
app=""
work="$(mktemp -d)"

finish() {
    stop_app
    restore_data_file
    rm -rf "$work"
}
keep_data_file
trap finish EXIT

year=$((10#$(date +%Y)))
month=$((10#$(date +%m)))
first=$((month < 7 ? 1 : 7))

far=$(date_key 2001 5 5)
kept=$(date_key "$year" "$first" 3)
added=$(date_key "$year" "$first" 17)
data_file "$far" "$kept" >"$data"
data_file "$far" "$kept" "$added" >"$work/expected"

start_program() {
    # Sunday heads the first column: cell_point counts on it.
    LC_ALL=en_US.UTF-8 wine "$exe" </dev/null >/dev/null 2>&1 &
    app=$!
    await_main
}
holds_the_click() { cmp -s "$data" "$work/expected"; }

run_started=$(half_year)
start_program
read -r kx ky < <(cell_point "$year" "$first" 3)
await "the prepared mark is shown" painted_as "$kx" "$ky" "$marked_fill"

read -r px py < <(cell_point "$year" "$first" 17)
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
read -r px py < <(cell_point "$year" "$first" 17)
await "the restarted program shows the click" painted_as "$px" "$py" "$marked_fill"
await "the restarted program shows the prepared mark" painted_as "$kx" "$ky" "$marked_fill"
holds_the_click || fail "the restart changed the data file"

click 605 28 # Exit
await "Exit ends the program" ended
status=0
wait "$app" || status=$?
app=""
[ "$run_started" = "$(half_year)" ] || fail "the half-year changed while the test ran; run it again"
[ "$status" = 1 ] || fail "the program ended with code $status, expected 1"
if ! holds_the_click; then
    od -An -tx1 "$data" >&2
    fail "the data file differs from the expected one"
fi
echo "kill after save: the restarted program shows the click and the file holds it"
