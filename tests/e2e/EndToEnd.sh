#!/usr/bin/env bash
# The program as a user meets it: started under Wine with a prepared data
# file, two days clicked with the real mouse (one new, one already marked),
# closed with Alt+F4. The file it saves must hold exactly the expected marks.
#
# EndToEnd.sh LUNABEL_EXE. DISPLAY and WINEPREFIX come from the environment;
# the prefix's own data file is kept aside and put back.
set -euo pipefail

exe="$1"
[ -n "${DISPLAY:-}" ] && [ -n "${WINEPREFIX:-}" ] || { echo "needs DISPLAY and WINEPREFIX" >&2; exit 1; }
export WINEDEBUG=-all
# A slow machine, not a broken program, may need more than the usual bound.
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

# The program opens on today's half-year.
year=$((10#$(date +%Y)))
month=$((10#$(date +%m)))
first=$((month < 7 ? 1 : 7))

far=$(date_key 2001 5 5) # never on screen, must survive untouched
kept=$(date_key "$year" "$first" 3)
removed=$(date_key "$year" $((first + 1)) 1)
added=$(date_key "$year" "$first" 17)
data_file "$far" "$kept" "$removed" >"$data"
data_file "$far" "$kept" "$added" >"$work/expected"

run_started=$(half_year)
# Sunday heads the first column: the cell arithmetic below counts on it.
LC_ALL=en_US.UTF-8 wine "$exe" &
app=$!
await_main

# Clicks a day away from where its fill is read, and waits until the fill
# shows (or no longer shows) a mark.
click_day() { # month day mark|unmark
    local px py
    read -r px py < <(cell_point "$year" "$1" "$2")
    xdotool mousemove $((px + 11)) $((py + 9)) click 1
    if [ "$3" = mark ]; then
        await "day $1/$2 shows a mark" painted_as "$px" "$py" "$marked_fill"
    else
        await "day $1/$2 shows no mark" painted_other_than "$px" "$py" "$marked_fill"
    fi
}

# The grids are drawn before anything is clicked.
read -r kx ky < <(cell_point "$year" "$first" 3)
await "the prepared mark is shown" painted_as "$kx" "$ky" "$marked_fill"

click_day "$first" 17 mark
click_day $((first + 1)) 1 unmark

# Alt+F4 goes to the window under the pointer, which the clicks activated.
xdotool key alt+F4
await "Alt+F4 ends the program" ended
status=0
wait "$app" || status=$?
app=""
[ "$run_started" = "$(half_year)" ] || fail "the half-year changed while the test ran; run it again"
[ "$status" = 1 ] || fail "the program ended with code $status, expected 1"
if ! cmp -s "$data" "$work/expected"; then
    od -An -tx1 "$data" >&2
    echo "expected:" >&2
    od -An -tx1 "$work/expected" >&2
    fail "the saved file differs from the expected one"
fi
echo "end to end: the saved file holds the expected marks"
