#!/usr/bin/env bash
# The long run of the kill test: Lunabel killed without warning KILLS times
# (200 unless given) at moments drawn from SEED while it saves 100,000 marks,
# half of them within 2 ms after its temporary file appears. Prints the seed
# and the counts: kills that left the old state, the new state, and temporary
# files (each cleared by the next start). ./test.sh runs a short version.
#
# kill-during-save.sh [KILLS [SEED]]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
source scripts/common.sh
kills="${1:-200}"
seed="${2:-20061215}"

build_windows >/dev/null
trap 'stop_wineserver; stop_display' EXIT
ensure_display
init_wine_prefix
start_wineserver
tests="$lunabel_windows_build/bin/lunabel_wine_tests.exe"
warm_up_wine "$tests" --gtest_filter='FrameworkWindow.*'
LUNABEL_KILLS="$kills" LUNABEL_KILL_SEED="$seed" \
    run_wine "$tests" --gtest_filter='KillDuringSave.*' 2>&1 | grep -Ev '^\[ *(RUN|OK) *\]'
