#!/usr/bin/env bash
# printer.sh start|stop|status: a CUPS queue "PDF" (cups-pdf) as the default
# printer, so that Wine's spooler lists it and a printed report becomes a PDF
# in ~/PDF. "start" starts cupsd only when it is not running, and "stop" stops
# only a cupsd that "start" started.
set -euo pipefail

pidfile="${LUNABEL_BUILD_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}/cupsd.started"

as_root() {
    if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

cups_ready() { lpstat -r 2>/dev/null | grep -q "is running"; }

start() {
    if ! cups_ready; then
        as_root cupsd >/dev/null 2>&1 </dev/null
        for _ in $(seq 1 100); do
            cups_ready && break
            sleep 0.1
        done
        cups_ready || { echo "printer.sh: cupsd did not start" >&2; exit 1; }
        pgrep -o -x cupsd >"$pidfile" || true
    fi
    if ! lpstat -p PDF >/dev/null 2>&1; then
        local ppd
        ppd="$(dpkg -L printer-driver-cups-pdf | grep 'CUPS-PDF_opt.ppd$' | head -n1)"
        as_root lpadmin -p PDF -E -v cups-pdf:/ -P "$ppd"
    fi
    as_root lpadmin -d PDF
    as_root cupsenable PDF 2>/dev/null || true
    as_root cupsaccept PDF 2>/dev/null || true
}

stop() {
    if [ -f "$pidfile" ]; then
        as_root kill "$(cat "$pidfile")" 2>/dev/null || true
        rm -f "$pidfile"
    fi
}

case "${1:-}" in
start) start ;;
stop) stop ;;
status) lpstat -t ;;
*)
    echo "usage: printer.sh start|stop|status" >&2
    exit 2
    ;;
esac
