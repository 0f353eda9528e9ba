#!/usr/bin/env bash
# Builds the benchmarks natively in Release, in their own tree, and runs them.
# Arguments go to the benchmark program, e.g. --benchmark_filter=Decode.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/common.sh
build_native_bench lunabel_bench
"$lunabel_bench_native_build/bin/lunabel_bench" "$@"
