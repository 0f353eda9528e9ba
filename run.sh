#!/usr/bin/env bash
# Builds Lunabel and starts it under Wine. With a display it opens there;
# without one it runs on a virtual display, saves a screenshot of the main
# window to build/screenshot.png and closes the program as a user would.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
./scripts/setup.sh
source scripts/common.sh

build_windows >/dev/null
exe="$lunabel_windows_build/bin/lunabel.exe"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    init_wine_prefix
    log "starting Lunabel on $DISPLAY"
    run_wine "$exe"
    log "data file: $(wine_data_file)"
    exit 0
fi

trap 'stop_wineserver; stop_display' EXIT
ensure_display
init_wine_prefix
start_wineserver

run_wine "$exe" &
app=$!

screenshot="$lunabel_build/screenshot.png"
if ! scripts/capture-window.sh Lunabel "$screenshot"; then
    log "the main window did not appear"
    kill "$app" 2>/dev/null || true
    exit 1
fi

# WM_CLOSE to the frame, as closing the window does.
run_wine taskkill /im lunabel.exe >/dev/null 2>&1 || true
status=0
wait "$app" || status=$?
log "Lunabel exited with code $status"
log "screenshot: $screenshot"
log "data file:  $(wine_data_file)"
