#!/usr/bin/env bash
# Builds the Windows user-interface benchmark in its own tree and runs it under
# Wine on a virtual display, with the prefix and fonts of the test runs.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/common.sh
build_windows_bench lunabel_ui_bench
trap 'stop_wineserver; stop_display' EXIT
ensure_display
init_wine_prefix
start_wineserver
run_wine "$lunabel_bench_windows_build/bin/lunabel_ui_bench.exe"
