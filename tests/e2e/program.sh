# shellcheck shell=bash
# The start of an end-to-end script that runs lunabel.exe on the prefix's data
# file: source it with the script's arguments, LUNABEL_EXE first. DISPLAY and
# WINEPREFIX come from the environment; the prefix's own data file is kept
# aside and put back at exit. Sets exe, data (the data file), work (a folder
# that goes at exit), today's date as ty tm td, and first, the first month of
# today's half-year, which the program opens on.

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

read -r ty tm td < <(date '+%Y %-m %-d')
first=$((tm < 7 ? 1 : 7))

# Starts the program as process $app and waits for its main window.
start_program() {
    # Sunday heads the first column: cell_point counts on it.
    LC_ALL=en_US.UTF-8 wine "$exe" &
    app=$!
    await_main
}

# Waits until WHAT ends the program, which must end as closing its main
# window ends it, with code 1.
await_exit() { # what
    await "$1 ends the program" ended
    local status=0
    wait "$app" || status=$?
    app=""
    [ "$status" = 1 ] || fail "the program ended with code $status, expected 1"
}

# The data file must be the same as $work/expected, byte for byte.
check_saved_file() {
    if ! cmp -s "$data" "$work/expected"; then
        od -An -tx1 "$data" >&2
        echo "expected:" >&2
        od -An -tx1 "$work/expected" >&2
        fail "the saved file differs from the expected one"
    fi
}
