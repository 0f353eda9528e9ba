#!/usr/bin/env bash
# Whether two builds of Lunabel look the same, pixel for pixel: the main
# window, with a hovered button, then each dialog over it (Settings, Print, About, Help), captured
# under the same Wine prefix and display from the same data file, and
# compared. Leaves the screenshots in OUT_DIR.
#
#   compare-looks.sh OLD.exe NEW.exe OUT_DIR
set -euo pipefail
old="$(realpath "$1")"
new="$(realpath "$2")"
out="$3"
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/common.sh
mkdir -p "$out"

fail() {
    echo "compare-looks: $*" >&2
    import -window root "$out/failure.png" 2>/dev/null || true
    exit 1
}
# shellcheck source=../tests/e2e/desktop.sh
source tests/e2e/desktop.sh

app=""
start_wine_desktop
[ -z "$(lunabel_windows)" ] || fail "a Lunabel window is already open on $DISPLAY"

year=$((10#$(date +%Y)))
first=$((10#$(date +%m) < 7 ? 1 : 7))
# Marks in the months shown: marked, period and fertile days all appear.
data_file $(many_keys "$((year - 1))" 1 3 28 40 "$year") >"$(wine_data_file)"

shot() { # name
    xdotool mousemove 1279 1023 # no hover anywhere
    sleep 0.5
    import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage -depth 8 "$shots/$1.png"
}

capture() { # exe dir
    shots="$2"
    mkdir -p "$shots"
    # Under its own name: the dialogs are found by the program's X class.
    cp "$1" "$shots/lunabel.exe"
    xdotool mousemove 1279 1023 # not over the window when it appears
    LC_ALL=en_US.UTF-8 wine "$shots/lunabel.exe" </dev/null >/dev/null 2>&1 &
    app=$!
    await_main
    shot main
    xdotool mousemove $((X + 380)) $((Y + 28)) # the Settings button's hover picture
    sleep 0.5
    import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage -depth 8 "$shots/hover.png"
    local button name picture
    for button in "380 Settings dlg_settings" "455 Print dlg_print" "530 About dlg_about" \
        "305 Help dlg_help"; do
        read -r x name picture <<<"$button"
        click "$x" 28
        await_dialog "$picture"
        shot "$name"
        focus_dialog
        xdotool key Escape
        await "the $name dialog closes" no_dialog
    done
    click 605 28 # Exit
    await "the program ends" ended
    wait "$app" || true
    app=""
    rm -f "$shots/lunabel.exe"
}

capture "$old" "$out/old"
capture "$new" "$out/new"

status=0
for picture in "$out"/old/*.png; do
    name="$(basename "$picture")"
    differing=$(compare -metric AE "$picture" "$out/new/$name" "$out/diff-$name" 2>&1 || true)
    if [ "$differing" = 0 ]; then
        echo "same: $name"
        rm -f "$out/diff-$name"
    else
        echo "DIFFERENT: $name ($differing pixels; see $out/diff-$name)"
        status=1
    fi
done
exit "$status"
