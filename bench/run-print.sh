#!/usr/bin/env bash
# Builds the printing benchmark in its own tree and runs it under Wine against
# the PDF printer queue (started here if it is not running).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/common.sh
dir="$lunabel_build/bench-windows"
cmake -S . -B "$dir" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$lunabel_root/cmake/mingw-w64-x86_64.cmake" \
    -DLUNABEL_TARGET_PREFIX="$lunabel_build/deps/libpng-mingw" \
    -DCMAKE_BUILD_TYPE=Release -DLUNABEL_BENCH=ON -DLUNABEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$dir" -j "$(jobs_for_build)" --target lunabel_print_bench
trap 'stop_wineserver; stop_display; scripts/printer.sh stop' EXIT
scripts/printer.sh start
ensure_display
init_wine_prefix
start_wineserver
run_wine "$dir/bin/lunabel_print_bench.exe"
