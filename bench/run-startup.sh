#!/usr/bin/env bash
# Start-up of lunabel.exe side by side with bare windows of the same client
# size, under the same Wine prefix and display, started in turn round after
# round (bench/startup). Builds what it needs: the Windows programs in the
# benchmarks' Release tree, the watcher natively. Lunabel reads a data file of
# three years of marks; the prefix's own data file is put back afterwards.
# Arguments go to the watcher, e.g. --rounds 60.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/common.sh
build_windows_bench lunabel lunabel_bare_window lunabel_bare_window_text \
    lunabel_bare_window_children lunabel_desktop_keeper >/dev/null
build_native_bench lunabel_startup_bench >/dev/null

fail() {
    log "run-startup: $*"
    exit 1
}
# shellcheck source=../tests/e2e/desktop.sh
source tests/e2e/desktop.sh

start_wine_desktop
year=$((10#$(date +%Y)))
# shellcheck disable=SC2046
data_file $(many_keys "$((year - 3))" 1 5 28 200 "$year") >"$(wine_data_file)"
[ -z "$(lunabel_windows)" ] || fail "a Lunabel window is already open on $DISPLAY"

bin="$lunabel_bench_windows_build/bin"
# Wine takes the user locale from LC_ALL: the tests' one.
LC_ALL="$lunabel_locale" "$lunabel_bench_native_build/bin/lunabel_startup_bench" \
    --keep-desktop "$bin/lunabel_desktop_keeper.exe" "$@" \
    "bare window=$bin/lunabel_bare_window.exe" \
    "bare window with one line of text=$bin/lunabel_bare_window_text.exe" \
    "bare window with Lunabel's child windows=$bin/lunabel_bare_window_children.exe" \
    "lunabel.exe=$bin/lunabel.exe"
