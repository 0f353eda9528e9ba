#!/usr/bin/env bash
# Builds the Windows user-interface benchmark in its own tree and runs it under
# Wine on a virtual display, with the prefix and fonts of the test runs.
# With --dpi N the screen is set to N dpi for the run (96 = 100 %, 192 = 200 %).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/common.sh
dpi=96
if [ "${1:-}" = "--dpi" ]; then
    dpi="$2"
    shift 2
fi
build_windows_bench lunabel_ui_bench
set_dpi() {
    run_wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}
trap 'set_dpi 96; stop_wineserver; stop_display' EXIT
ensure_display
init_wine_prefix
start_wineserver
set_dpi "$dpi"
run_wine "$lunabel_bench_windows_build/bin/lunabel_ui_bench.exe"
