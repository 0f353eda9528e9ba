#!/usr/bin/env bash
# The program must start on a bare Windows: a 64-bit GUI executable that
# imports only Windows' own DLLs, never a compiler runtime or a library's DLL,
# and none at start that only printing or the dialogs need.
# Usage: imports.sh OBJDUMP EXE
set -euo pipefail
objdump="$1"
exe="$2"

headers="$("$objdump" -p "$exe")"
status=0
fail() {
    echo "FAIL: $*" >&2
    status=1
}

grep -q 'file format pei-x86-64' <<<"$headers" || fail "not a 64-bit Windows executable"
# A console program would open a console window beside the calendar.
grep -Eq '^Subsystem[[:space:]]+0+2[[:space:]]' <<<"$headers" || fail "not a GUI program"

system_dll='^(kernel32|user32|gdi32|comctl32|ole32|oleaut32|oleacc|shell32|shlwapi|advapi32|comdlg32|uxtheme|msvcrt)\.dll$|^winspool\.drv$|^api-ms-win-crt-[a-z0-9-]+\.dll$'
imports="$(sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' <<<"$headers" | tr -d '\r')"
[ -n "$imports" ] || fail "no import table found"
while read -r dll; do
    [ -n "$dll" ] || continue
    if grep -Eiq "$system_dll" <<<"$dll"; then
        echo "ok: $dll"
    else
        fail "imports $dll, which Windows does not have"
    fi
done <<<"$imports"
grep -qi '^kernel32\.dll$' <<<"$imports" || fail "KERNEL32.dll missing from the imports"
# Printing, the dialogs' controls and themes and what screen readers ask for
# load on first use: their set-up would only delay the window.
for later in winspool.drv comctl32.dll comdlg32.dll uxtheme.dll oleacc.dll oleaut32.dll; do
    if grep -qix "$later" <<<"$imports"; then
        fail "imports $later when it starts; it is meant to load on first use"
    fi
done

exit "$status"
