#!/bin/sh
# Runs a command with the Wine prefix's screen set to DPI dots per inch (a new
# process takes it up), and sets 100 % back afterwards.
dpi="$1"
shift
set_dpi() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}
set_dpi "$dpi"
"$@"
status=$?
set_dpi 96
exit $status
