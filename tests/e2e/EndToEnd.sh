#!/usr/bin/env bash
# The program as a user meets it: started under Wine with a prepared data
# file, two days clicked with the real mouse (one new, one already marked),
# closed with Alt+F4. The file it saves must hold exactly the expected marks.
#
# EndToEnd.sh LUNABEL_EXE. DISPLAY and WINEPREFIX come from the environment;
# the prefix's own data file is kept aside and put back.
set -euo pipefail

# shellcheck source=program.sh
source "$(dirname "${BASH_SOURCE[0]}")/program.sh" "$@"

far=$(date_key 2001 5 5) # never on screen, must survive untouched
kept=$(date_key "$ty" "$first" 3)
removed=$(date_key "$ty" $((first + 1)) 1)
added=$(date_key "$ty" "$first" 17)
data_file "$far" "$kept" "$removed" >"$data"
data_file "$far" "$kept" "$added" >"$work/expected"

run_started=$(half_year)
start_program

# Clicks a day away from where its fill is read, and waits until the fill
# shows (or no longer shows) a mark.
click_day() { # month day mark|unmark
    local px py
    read -r px py < <(cell_point "$ty" "$1" "$2")
    xdotool mousemove $((px + 11)) $((py + 9)) click 1
    if [ "$3" = mark ]; then
        await "day $1/$2 shows a mark" painted_as "$px" "$py" "$marked_fill"
    else
        await "day $1/$2 shows no mark" painted_other_than "$px" "$py" "$marked_fill"
    fi
}

# The grids are drawn before anything is clicked.
read -r kx ky < <(cell_point "$ty" "$first" 3)
await "the prepared mark is shown" painted_as "$kx" "$ky" "$marked_fill"

click_day "$first" 17 mark
click_day $((first + 1)) 1 unmark

# Alt+F4 goes to the window under the pointer, which the clicks activated.
xdotool key alt+F4
await_exit "Alt+F4"
[ "$run_started" = "$(half_year)" ] || fail "the half-year changed while the test ran; run it again"
check_saved_file
echo "end to end: the saved file holds the expected marks"
