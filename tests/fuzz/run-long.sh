#!/usr/bin/env bash
# A long fuzzing run by hand, keeping what it finds, after build_native:
#   tests/fuzz/run-long.sh TARGET CORPUS [SECONDS]
# e.g. tests/fuzz/run-long.sh import_json_fuzzer import_json 14400
#      tests/fuzz/run-long.sh import_xml_fuzzer import_xml
# New inputs go to build/fuzz-corpus/CORPUS (kept between runs), a crash to
# build/fuzz-corpus/crash-<hash>; rerun one with `build/native/bin/TARGET <file>`.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
if [ $# -lt 2 ]; then
    sed -n '2,7p' "${BASH_SOURCE[0]}" >&2
    exit 2
fi
target="$1"
corpus="$2"
seconds="${3:-3600}"
fuzzer="build/native/bin/$target"
[ -x "$fuzzer" ] || {
    echo "no $fuzzer: build it first (source scripts/common.sh && build_native)" >&2
    exit 1
}
mkdir -p "build/fuzz-corpus/$corpus"
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix=build/fuzz-corpus/ "build/fuzz-corpus/$corpus" "tests/fuzz/corpus/$corpus"
