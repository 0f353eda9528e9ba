#!/usr/bin/env bash
# A user's whole journey with the real mouse and keyboard: install silently,
# start the installed program, mark two days, step half a year forward and
# back, open and close every dialog, print this year to the PDF queue, leave
# with Exit, check the saved file, uninstall. Every wait is bounded and names
# its step; a failure leaves a screenshot in OUT_DIR.
#
# UserJourney.sh PACKAGES_DIR OUT_DIR, where cpack has made the installer.
# DISPLAY and WINEPREFIX come from the environment; the prefix's own data file
# is kept aside and put back.
set -euo pipefail

packages="$1"
out="$2"
if [ -z "${DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
    echo "needs DISPLAY and WINEPREFIX" >&2
    exit 1
fi
if ! lpstat -p PDF >/dev/null 2>&1; then
    echo "no PDF print queue (scripts/printer.sh start)" >&2
    exit 77
fi

step="preparing"
screenshot="$out/UserJourney-failure.png"
fail() {
    echo "FAIL ($step): $*" >&2
    if import -window root "$screenshot" 2>/dev/null; then
        echo "screenshot: $screenshot" >&2
    fi
    exit 1
}
# shellcheck source=../../scripts/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/common.sh"
# shellcheck source=desktop.sh
source "$(dirname "${BASH_SOURCE[0]}")/desktop.sh"

export WINEDEBUG=-all
# Shortcuts would otherwise also land in the host's desktop menus.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}winemenubuilder.exe=d"
# Wine's background processes keep the standard handles of the program that
# starts them: none of ours may be the pipes CTest reads.
quiet_wine() { wine "$@" </dev/null >/dev/null 2>&1; }

data="$(wine_data_file)"
install_dir="$(wine_install_dir)"
mkdir -p "$out"
rm -f "$screenshot"
work="$(mktemp -d)"
app=""

finish() {
    stop_app
    remove_installation
    restore_data_file
    rm -rf "$work"
}

keep_data_file
remove_installation # what a broken earlier run left
trap finish EXIT

# --- 1. install ----------------------------------------------------------------------
step="install"
installer="$(find "$packages" -maxdepth 1 -name '*.exe' | head -n1)"
[ -n "$installer" ] || fail "no installer in $packages"
quiet_wine "$installer" /S || fail "the installer ended with an error"
installed_exe="$install_dir/lunabel.exe"
await "the installed program is there" test -f "$installed_exe"

# --- 2. start --------------------------------------------------------------------------
step="start"
year=$((10#$(date +%Y)))
month=$((10#$(date +%m)))
today=$((10#$(date +%d)))
first=$((month < 7 ? 1 : 7)) # the program opens on today's half-year
run_started=$(half_year)
# Today's cell may be drawn apart: the days used keep away from it.
day_off_today() { # month day
    if [ "$1" = "$month" ] && [ "$2" = "$today" ]; then echo $(($2 + 1)); else echo "$2"; fi
}
month_a=$first
day_a=$(day_off_today "$month_a" 3)
month_kept=$((first + 2))
day_kept=$(day_off_today "$month_kept" 10)
month_b=$((first + 4))
day_b=$(day_off_today "$month_b" 19)
key_a=$(date_key "$year" "$month_a" "$day_a")
key_kept=$(date_key "$year" "$month_kept" "$day_kept")
key_b=$(date_key "$year" "$month_b" "$day_b")
# One mark already in the file: once it shows, the file was read and the grids painted.
data_file "$key_kept" >"$data"

[ -z "$(lunabel_windows)" ] || fail "a Lunabel window is already open on $DISPLAY"
# Sunday heads the first column: the cell arithmetic counts on it.
LC_ALL=en_US.UTF-8 wine "$installed_exe" </dev/null >/dev/null 2>&1 &
app=$!
await_main
[ "${WIDTH}x${HEIGHT}" = "$(picture_size app-bg)" ] ||
    fail "the main window is ${WIDTH}x${HEIGHT}, not the size of its background"

# The view without its buttons and arrows, whose looks follow the pointer.
view_picture() {
    import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage png:- 2>/dev/null |
        convert png:- -fill black -draw "rectangle 0,0 $((WIDTH - 1)),60" \
            -draw 'rectangle 248,70 278,99' -draw 'rectangle 628,70 658,99' rgb:- | md5sum
}
view_differs_from() { [ "$(view_picture)" != "$1" ]; }
view_is() { [ "$(view_picture)" = "$1" ]; }

# --- 3. two marks ------------------------------------------------------------------------
step="marking days"
read -r ax ay < <(cell_point "$year" "$month_a" "$day_a")
read -r kx ky < <(cell_point "$year" "$month_kept" "$day_kept")
read -r bx by < <(cell_point "$year" "$month_b" "$day_b")
await "the mark of the prepared file shows" painted_as "$kx" "$ky" "$marked_fill"
for point in "$ax $ay" "$bx $by"; do
    read -r px py <<<"$point"
    painted_other_than "$px" "$py" "$marked_fill" || fail "the unmarked day at $px,$py shows a mark"
    xdotool mousemove "$((px + 11))" "$((py + 9))" click 1
    await "the clicked day at $px,$py shows a mark" painted_as "$px" "$py" "$marked_fill"
done

# --- 4. half-year navigation -----------------------------------------------------------
step="navigation"
shown="$(view_picture)"
click 643 85 # next
await "the next half-year is shown" view_differs_from "$shown"
await "the marked day leaves the first grid" painted_other_than "$ax" "$ay" "$marked_fill"
click 263 85 # prev
await "the first half-year comes back as it was" view_is "$shown"

# --- 5. dialogs ----------------------------------------------------------------------------
step="Settings"
click 380 28
await_dialog dlg_settings
focus_dialog
xdotool key Return
await "Enter closes the Settings dialog" no_dialog

step="About"
click 530 28
await_dialog dlg_about
focus_dialog
xdotool key Escape
await "Escape closes the About dialog" no_dialog

step="Help by F1"
click 240 104 # bare background: F1 needs the main window to have the keyboard
xdotool key F1
await_dialog dlg_help
focus_dialog
xdotool key Escape
await "Escape closes the Help dialog" no_dialog

step="Help button"
click 305 28
await_dialog dlg_help
click_dialog_units 215 219 50 14 # Close
await "Close closes the Help dialog" no_dialog

# --- 6. print this year ----------------------------------------------------------------------
step="printing"
touch "$work/before-print"
click 455 28
await_dialog dlg_print
# "This year" is chosen on opening. Enter would press Properties, the first
# default button of the template.
click_dialog_units 136 162 50 14 # Print
await "the print dialog closes" no_dialog
await "a one-page report appears in $pdf_dir" report_done "$work/before-print" 1
pdftotext "$report" "$work/report.txt" || fail "cannot read $report"
grep -qw "$year" "$work/report.txt" || fail "the report does not show $year"
grep -q 'Created using Lunabel' "$work/report.txt" || fail "the report lacks its credit line"
rm -f "$report"

# --- 7. exit -----------------------------------------------------------------------------------
step="exit"
click 605 28
await "the program ends after Exit" ended
status=0
wait "$app" || status=$?
app=""
[ "$status" = 1 ] || fail "the program ended with code $status, expected 1"

# --- 8. the saved file -----------------------------------------------------------------------
step="saved file"
[ "$run_started" = "$(half_year)" ] || fail "the half-year changed while the test ran; run it again"
data_file "$key_a" "$key_kept" "$key_b" >"$work/expected"
if ! cmp -s "$data" "$work/expected"; then
    od -An -tx1 "$data" >&2 || true
    echo "expected:" >&2
    od -An -tx1 "$work/expected" >&2
    fail "the saved file does not hold exactly the prepared mark and the two new ones"
fi

# --- 9. uninstall ------------------------------------------------------------------------------
step="uninstall"
quiet_wine "$install_dir/Uninstall.exe" /S || fail "the uninstaller did not start"
# It runs on from a copy of itself and deletes its own file last.
await "the installed program is removed" gone "$installed_exe"
await "the uninstaller has finished" gone "$install_dir/Uninstall.exe"
cmp -s "$data" "$work/expected" || fail "uninstalling touched the data file"

echo "user journey: installed, marked, navigated, dialogs, printed, saved, uninstalled"
