#!/usr/bin/env bash
# Every speed and size figure of Lunabel in one table: the data file with
# 100,000 marks and imports of 200 MB (native), a calendar behind a password
# (unlock, sealed saves and sizes, under Wine), the main window's answers to
# the user while it saves as you go and a ten-year print to the PDF queue
# (under Wine), start-up side by side with a bare window, the executable's
# size and the running program's start-up and peak working set. Builds what
# it needs. LUNABEL_STARTUP_ROUNDS sets how many times each program of the
# side-by-side start-up is started (30).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
./scripts/setup.sh >/dev/null
source scripts/common.sh

tmp="$(mktemp -d)"
rows=()
row() { rows+=("$1|$2"); }

log "data file and cycle history, natively"
bench/run.sh --benchmark_format=csv \
    --benchmark_filter='^(LoadFile|SaveFile|HistoryFromMarks)/100000$|^(ExportCsv|ExportIcs|ImportCsv)/10000(/0)?$' \
    >"$tmp/native.csv" 2>"$tmp/native.log" || {
    tail -n 20 "$tmp/native.log" >&2
    exit 1
}
native() { # benchmark name -> its real time
    awk -F, -v name="\"$1\"" '$1 == name { printf "%.2f %s", $3, $5 }' "$tmp/native.csv"
}
row "load 100,000 marks from the data file" "$(native LoadFile/100000)"
row "save 100,000 marks to the data file" "$(native SaveFile/100000)"
row "cycle history (list, figures, typical cycle) from 100,000 marks" "$(native HistoryFromMarks/100000)"
row "export 10,000 period starts as CSV" "$(native ExportCsv/10000)"
row "export 12 months of predictions as iCalendar, 10,000 marks" "$(native ExportIcs/10000)"
row "import 10,000 period starts from CSV (read and plan)" "$(native ImportCsv/10000/0)"

log "import of a 200 MB per-day log, natively"
build_native_bench lunabel_import_bench >/dev/null
while IFS='|' read -r label figure; do
    row "$label" "$figure"
done < <("$lunabel_bench_native_build/bin/lunabel_import_bench")

log "import of a 200 MB Apple Health export, natively"
build_native_bench lunabel_health_export_bench >/dev/null
while IFS='|' read -r label figure; do
    row "$label" "$figure"
done < <("$lunabel_bench_native_build/bin/lunabel_health_export_bench")

app=""
data=""
finish() {
    stop_app
    [ -z "$data" ] || restore_data_file
    rm -rf "$tmp"
    stop_wineserver
    stop_display
}
trap finish EXIT
ensure_display

log "user interface under Wine, 100,000 marks"
bench/run-ui.sh >"$tmp/ui.txt" 2>"$tmp/ui.log" || {
    tail -n 20 "$tmp/ui.log" "$tmp/ui.txt" >&2
    exit 1
}
ui() { grep "^$1" "$tmp/ui.txt" | grep -o 'median [0-9.]* ms' | cut -d' ' -f2- || true; }
row "day click until the six grids have repainted, 100,000 marks, saving as you go" "$(ui 'day click until six')"
row "day click until the data file holds it (atomic save), 100,000 marks" "$(ui 'day click until the data')"
row "half-year step until repainted, 100,000 marks, its save running" "$(ui 'half-year step')"
row "start-up until every child has painted (in process), 100,000 marks" "$(ui 'start-up')"

log "user interface under Wine at 200 %, 100,000 marks"
bench/run-ui.sh --dpi 192 >"$tmp/ui.txt" 2>"$tmp/ui.log" || {
    tail -n 20 "$tmp/ui.log" "$tmp/ui.txt" >&2
    exit 1
}
row "at 200 %: day click until the six grids have repainted, 100,000 marks" "$(ui 'day click until six')"
row "at 200 %: half-year step until repainted, 100,000 marks" "$(ui 'half-year step')"
row "at 200 %: start-up until every child has painted (in process), 100,000 marks" "$(ui 'start-up')"

log "a ten-year print to the PDF queue"
bench/run-print.sh >"$tmp/print.txt" 2>"$tmp/print.log" || {
    tail -n 20 "$tmp/print.log" "$tmp/print.txt" >&2
    exit 1
}
printed() { grep "$1" "$tmp/print.txt" | grep -o 'median [0-9.]* ms' | cut -d' ' -f2- || true; }
pages=$(grep -o '([0-9]* pages)' "$tmp/print.txt" | tr -d '()' || true)
row "ten-year print ($pages): Print until the job ends (window busy)" "$(printed 'end of job')"
row "ten-year print ($pages): Print until the queue has written the PDF" "$(printed 'finished PDF')"

log "start-up side by side with bare windows, started in turn"
bench/run-startup.sh --rounds "${LUNABEL_STARTUP_ROUNDS:-30}" >"$tmp/startup.txt" 2>"$tmp/startup.log" || {
    tail -n 20 "$tmp/startup.log" "$tmp/startup.txt" >&2
    exit 1
}
started() { # program name -> "median (quartiles, starts)"
    sed -n "s/^$1: median \([0-9.]*\) ms, quartiles \([0-9.]*\) - \([0-9.]*\) ms (\([0-9]*\) starts).*/\1 ms (quartiles \2-\3, \4 starts)/p" \
        "$tmp/startup.txt"
}
ratio() { sed -n "s/^$1: .*; \([0-9.]*x\) bare window;.*/\1/p" "$tmp/startup.txt"; }
row "start-up to the finished picture, bare window (same size and frame)" "$(started 'bare window')"
row "start-up to the finished picture, bare window with one line of text" "$(started 'bare window with one line of text')"
row "start-up to the finished picture, bare window with Lunabel's 15 children" "$(started "bare window with Lunabel's child windows")"
row "start-up to the finished picture (six grids painted), lunabel.exe" "$(started 'lunabel.exe')"
row "start-up ratio, lunabel.exe / bare window (medians of one run)" "$(ratio 'lunabel.exe')"
row "start-up ratio, bare window with Lunabel's children / bare window" "$(ratio "bare window with Lunabel's child windows")"

# The program alone, from the benchmarks' Release tree.
build_windows_bench lunabel >/dev/null
exe="$lunabel_bench_windows_build/bin/lunabel.exe"
row "size of lunabel.exe" "$(stat -c %s "$exe") bytes"

log "the program under Wine"
init_wine_prefix
start_wineserver

build_windows_bench lunabel_sealed_bench >/dev/null
while IFS='|' read -r label figure; do
    row "$label" "$figure"
done < <(run_wine "$lunabel_bench_windows_build/bin/lunabel_sealed_bench.exe" 2>/dev/null | tr -d '\r')
keep_data_file
data="$(wine_data_file)"

fail() {
    log "bench: $*"
    import -window root "$lunabel_build/bench-failure.png" 2>/dev/null &&
        log "screenshot: $lunabel_build/bench-failure.png"
    exit 1
}
# shellcheck source=../tests/e2e/desktop.sh
source tests/e2e/desktop.sh

year=$((10#$(date +%Y)))
first=$((10#$(date +%m) < 7 ? 1 : 7))
shown_mark=$(date_key "$year" "$first" 3) # a mark on screen: it shows once the grids have painted

now() { date +%s.%N; }
seconds() { awk -v from="$1" -v to="$2" 'BEGIN { printf "%.2f", to - from }'; }

# Starts the program on KEYS and waits until the grids show the mark on screen.
start_program() { # keys...
    # shellcheck disable=SC2046
    data_file $(printf '%s\n' "$@" "$shown_mark" | sort -n -u) >"$data"
    # Sunday first, as cell_point counts.
    LC_ALL=en_US.UTF-8 wine "$exe" </dev/null >/dev/null 2>&1 &
    app=$!
    await_main
    local px py
    read -r px py < <(cell_point "$year" "$first" 3)
    await "the grids have painted" painted_as "$px" "$py" "$marked_fill"
}
close_program() {
    click 605 28 # Exit
    await "the program ends" ended
    wait "$app" || true
    app=""
}
peak_working_set() { # the process that runs lunabel.exe
    grep -q 'lunabel\.exe' "/proc/$app/cmdline" || fail "process $app does not run lunabel.exe"
    awk '/^VmHWM:/ { printf "%.1f MiB", $2 / 1024 }' "/proc/$app/status"
}

# The start-up figure includes Wine's own process start.
for marks in 1 100000; do
    started=$(now)
    if [ "$marks" = 1 ]; then
        start_program
        label="one mark"
    else
        # shellcheck disable=SC2046
        start_program $(many_keys 1900 1 1 29 "$marks" 9999)
        label="100,000 marks"
    fi
    painted=$(now)
    row "start-up of lunabel.exe until the grids show (wall clock), $label" "$(seconds "$started" "$painted") s"
    row "peak working set (VmHWM of the Wine process of lunabel.exe), $label" "$(peak_working_set)"
    close_program
done

echo
printf '%-74s %s\n' "Lunabel $(git describe --always --dirty 2>/dev/null || echo)" "$(date +%F)"
for r in "${rows[@]}"; do
    printf '  %-72s %s\n' "${r%%|*}" "${r#*|}"
done
