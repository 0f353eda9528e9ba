#!/usr/bin/env bash
# Builds everything and runs every test: the portable code natively (with the
# sanitizers and a short fuzzing run), the Windows code under Wine.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
./scripts/setup.sh
source scripts/common.sh

cleanup() {
    stop_wineserver
    stop_display
    scripts/printer.sh stop
}
trap cleanup EXIT

log "layers"
python3 scripts/check-layers.py

log "native build"
build_native
(cd "$lunabel_native_build" && ctest --output-on-failure -j "$(jobs_for_build)")

log "Windows build"
build_windows
scripts/printer.sh start
ensure_display
init_wine_prefix
start_wineserver
warm_up_wine "$lunabel_windows_build/bin/lunabel_wine_tests.exe" --gtest_filter='FrameworkWindow.*'
(cd "$lunabel_windows_build" && env LC_ALL="$lunabel_locale" ctest --output-on-failure)
