#!/usr/bin/env bash
# Builds the printing benchmark in its own tree and runs it under Wine against
# the PDF printer queue (started here if it is not running).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/common.sh
build_windows_bench lunabel_print_bench
trap 'stop_wineserver; stop_display; scripts/printer.sh stop' EXIT
scripts/printer.sh start
ensure_display
init_wine_prefix
start_wineserver
run_wine "$lunabel_bench_windows_build/bin/lunabel_print_bench.exe"
