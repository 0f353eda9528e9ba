#!/usr/bin/env bash
# Builds the benchmarks natively in Release, in their own tree, and runs them.
# Arguments go to the benchmark program, e.g. --benchmark_filter=Decode.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/common.sh
dir="$lunabel_build/bench"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DLUNABEL_BENCH=ON -DLUNABEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$dir" -j "$(jobs_for_build)" --target lunabel_bench
"$dir/bin/lunabel_bench" "$@"
