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

data="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Lunabel.data"
backup="$(mktemp)"
had_data=0
app=""
work="$(mktemp -d)"

finish() {
    if [ -n "$app" ] && kill -0 "$app" 2>/dev/null; then
        kill "$app" 2>/dev/null || true
        wait "$app" 2>/dev/null || true
    fi
    if [ "$had_data" = 1 ]; then
        cp -f "$backup" "$data"
    else
        rm -f "$data"
    fi
    rm -rf "$backup" "$work"
}
trap finish EXIT

mkdir -p "$(dirname "$data")"
if [ -f "$data" ]; then
    cp -f "$data" "$backup"
    had_data=1
fi

# Polls for a condition; gives up after about 60 seconds.
wait_until() {
    local i
    for i in $(seq 1 600); do
        if "$@"; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

word() { # little-endian 32-bit
    local v=$1
    printf "\\x$(printf %02x $((v & 255)))\\x$(printf %02x $(((v >> 8) & 255)))"
    printf "\\x$(printf %02x $(((v >> 16) & 255)))\\x$(printf %02x $(((v >> 24) & 255)))"
}
key() { echo $((($1 << 16) | ($2 << 8) | $3)); }

# The file as the program writes it: settings first, then the marks ascending.
data_file() {
    printf 'GOOD'
    word 0
    printf 'OPTS'
    word 12
    word 28
    word 5
    word 1
    printf 'DAYS'
    word $((4 * $#))
    local k
    for k in "$@"; do word "$k"; done
}

# The program opens on today's half-year.
year=$((10#$(date +%Y)))
month=$((10#$(date +%m)))
first=$((month < 7 ? 1 : 7))

far=$(key 2001 5 5)        # never on screen, must survive untouched
kept=$(key "$year" "$first" 3)
removed=$(key "$year" $((first + 1)) 1)
added=$(key "$year" "$first" 17)
data_file "$far" "$kept" "$removed" >"$data"
data_file "$far" "$kept" "$added" >"$work/expected"

half_year() { echo "$(date +%Y)-$((10#$(date +%m) < 7 ? 1 : 2))"; }
run_started=$(half_year)
# Sunday heads the first column: the cell arithmetic below counts on it.
LC_ALL=en_US.UTF-8 wine "$exe" &
app=$!

found_window() {
    window="$(xdotool search --onlyvisible --name '^Lunabel$' 2>/dev/null | head -n1 || true)"
    [ -n "$window" ]
}
wait_until found_window || { echo "the main window did not appear" >&2; exit 1; }
# Without a window manager the X window is the client area.
eval "$(xdotool getwindowgeometry --shell "$window")"

# Centre of a day's cell on screen. Grids 0-2 stand in the top row, 3-5 below;
# in a grid the columns are 29 pixels wide, the day rows 24 high from y = 54.
cell_centre() { # grid month day -> "x y"
    local grid=$1 m=$2 d=$3
    local grid_x=$((14 + (grid % 3) * 222)) grid_y=$((113 + (grid / 3) * 222))
    local first_weekday
    first_weekday=$(date -d "$year-$m-01" +%w)
    local index=$((first_weekday + d - 1))
    echo $((X + grid_x + (index % 7) * 29 + 14)) $((Y + grid_y + 54 + (index / 7) * 24 + 12))
}

pixel() { # x y -> colour as the screen shows it
    import -window root -crop "1x1+$1+$2" +repage -depth 8 txt:- 2>/dev/null | tail -n1 | grep -o '#[0-9A-F]\{6\}'
}

painted_as() { # x y colour
    [ "$(pixel "$1" "$2")" = "$3" ]
}

painted_other_than() { # x y colour
    local shown
    shown="$(pixel "$1" "$2")"
    [ -n "$shown" ] && [ "$shown" != "$3" ]
}

marked_fill='#FF6464'

# Clicks a day and waits until its cell shows (or no longer shows) a mark.
click_day() { # grid month day mark|unmark
    local cx cy
    read -r cx cy < <(cell_centre "$1" "$2" "$3")
    # Inside the cell's fill, away from its number.
    local px=$((cx - 11)) py=$((cy - 9))
    xdotool mousemove "$cx" "$cy" click 1
    local check=painted_as
    [ "$4" = unmark ] && check=painted_other_than
    wait_until "$check" "$px" "$py" "$marked_fill" || {
        echo "day $2/$3 of grid $1 shows $(pixel "$px" "$py") after the click" >&2
        exit 1
    }
}

# The grids are drawn before anything is clicked.
read -r kx ky < <(cell_centre 0 "$first" 3)
wait_until painted_as $((kx - 11)) $((ky - 9)) "$marked_fill" || {
    echo "the prepared mark is not shown" >&2
    exit 1
}

click_day 0 "$first" 17 mark
click_day 1 $((first + 1)) 1 unmark

# Alt+F4 goes to the window under the pointer, which the clicks activated.
xdotool key alt+F4
ended() { ! kill -0 "$app" 2>/dev/null; }
wait_until ended || { echo "Alt+F4 did not end the program" >&2; exit 1; }
status=0
wait "$app" || status=$?
app=""
if [ "$run_started" != "$(half_year)" ]; then
    echo "the half-year changed while the test ran; run it again" >&2
    exit 1
fi
if [ "$status" != 1 ]; then
    echo "the program ended with code $status, expected 1" >&2
    exit 1
fi
if ! cmp -s "$data" "$work/expected"; then
    echo "the saved file differs from the expected one:" >&2
    od -An -tx1 "$data" >&2
    echo "expected:" >&2
    od -An -tx1 "$work/expected" >&2
    exit 1
fi
echo "end to end: the saved file holds the expected marks"
